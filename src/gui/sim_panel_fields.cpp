#include "gui/sim_panel_fields.h"

#include <mutex>
#include <utility>

#include "gui/window_state.h"

namespace ovr
{

std::atomic<std::uint8_t> g_wingspanKnownShown{0};

namespace
{

SimPanelTexts g_panel; // under g_panelMutex

} // namespace

void gf_setUserAircraftText(std::string text)
{
    const std::lock_guard lock(g_panelMutex);
    g_panel.userAircraft = std::move(text);
}

void gf_setUserStandText(std::string text)
{
    const std::lock_guard lock(g_panelMutex);
    g_panel.userStand = std::move(text);
}

SimPanelTexts gf_simPanelTexts()
{
    const std::lock_guard lock(g_panelMutex);
    return g_panel;
}

} // namespace ovr
