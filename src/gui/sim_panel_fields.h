// The simulator panel of the main window as the simulator link fills it
// beside the simulator text of window_state.h: the user aircraft's title,
// the stand under the user aircraft and whether its wingspan is known.
// Written on the SimClient thread, painted on the UI thread; the writer
// repaints after each write.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ovr
{

void gf_setUserAircraftText(std::string text);
void gf_setUserStandText(std::string text);

extern std::atomic<std::uint8_t> g_wingspanKnownShown;

struct SimPanelTexts
{
    std::string userAircraft;
    std::string userStand;
};
// What the painter shows, read under g_panelMutex.
SimPanelTexts gf_simPanelTexts();

} // namespace ovr
