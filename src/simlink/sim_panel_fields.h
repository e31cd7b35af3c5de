// The simulator panel of the main window as the simulator link fills it:
// the simulator text, whether the simulator is connected and running, the
// user aircraft's title, the stand under the user aircraft and whether its
// wingspan is known. Written on the SimClient thread (and reset by the
// session start), read by the window when it paints; the writer asks for a
// repaint after each write (core/window_repaint.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ovr
{

// The simulator text of the top panel ("MSFS 2020 (11.0.282174.999)").
void gf_setSimulatorText(std::string text);
void gf_setUserAircraftText(std::string text);
void gf_setUserStandText(std::string text);

extern std::atomic<std::uint8_t> g_simConnectedShown;
extern std::atomic<std::uint8_t> g_simRunningShown;
extern std::atomic<std::uint8_t> g_wingspanKnownShown;

struct SimPanelTexts
{
    std::string simulator;
    std::string userAircraft;
    std::string userStand;
};
// What the painter shows, read whole under the panel's lock.
SimPanelTexts gf_simPanelTexts();

} // namespace ovr
