#include "simlink/sim_panel_fields.h"

#include <mutex>
#include <utility>

namespace ovr
{

std::atomic<std::uint8_t> g_simConnectedShown{0};
std::atomic<std::uint8_t> g_simRunningShown{0};
std::atomic<std::uint8_t> g_wingspanKnownShown{0};

namespace
{

std::mutex g_simPanelMutex;
SimPanelTexts g_panel; // under g_simPanelMutex

} // namespace

void gf_setSimulatorText(std::string text)
{
    const std::lock_guard lock(g_simPanelMutex);
    g_panel.simulator = std::move(text);
}

void gf_setUserAircraftText(std::string text)
{
    const std::lock_guard lock(g_simPanelMutex);
    g_panel.userAircraft = std::move(text);
}

void gf_setUserStandText(std::string text)
{
    const std::lock_guard lock(g_simPanelMutex);
    g_panel.userStand = std::move(text);
}

SimPanelTexts gf_simPanelTexts()
{
    const std::lock_guard lock(g_simPanelMutex);
    return g_panel;
}

} // namespace ovr
