#include "airports/park_airport_panel.h"

#include <mutex>
#include <utility>

#include "core/window_repaint.h"

namespace ovr
{

namespace
{

std::mutex g_parkPanelMutex;
ParkAirportPanel g_parkPanel;

template <class Change> void lf_change(Change&& change)
{
    {
        const std::scoped_lock lock(g_parkPanelMutex);
        std::forward<Change>(change)(g_parkPanel);
    }
    gf_repaintMainWindow();
}

} // namespace

void gf_showParkStandCount(std::int32_t count)
{
    lf_change([count](ParkAirportPanel& panel) { panel.standCount = count; });
}

void gf_showParkFileText(std::string text, bool handmade)
{
    lf_change(
        [&](ParkAirportPanel& panel)
        {
            panel.fileText = std::move(text);
            panel.handmade = handmade;
        });
}

void gf_showParkQualityText(std::string text)
{
    lf_change([&](ParkAirportPanel& panel) { panel.qualityText = std::move(text); });
}

void gf_showParkTrafficWeek(std::int32_t week)
{
    lf_change([week](ParkAirportPanel& panel) { panel.trafficWeek = week; });
}

void gf_showParkDescription(std::string text)
{
    lf_change([&](ParkAirportPanel& panel) { panel.description = std::move(text); });
}

void gf_enableParkAirportControl()
{
    lf_change([](ParkAirportPanel& panel) { panel.controlEnabled = true; });
}

ParkAirportPanel gf_parkAirportPanel()
{
    const std::scoped_lock lock(g_parkPanelMutex);
    return g_parkPanel;
}

} // namespace ovr
