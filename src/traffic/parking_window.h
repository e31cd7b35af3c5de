// What the static-parking calculation asks of the main window: mark the
// parking busy (its controls disabled), done (enabled again), arm the next
// two-step parking update, and set the controls for no park airport. The window is a floor above, so the program
// hands these over at start; unset (in tools and tests without a window),
// nothing is asked.
#pragma once

namespace ovr
{

struct ParkingWindow
{
    void (*parkingBusy)() = nullptr;           // gf_parkingBusy
    void (*parkingDone)() = nullptr;           // gf_parkingDone
    void (*scheduleParkingUpdate)() = nullptr; // gf_scheduleParkingUpdate
    void (*parkAirportLeft)() = nullptr;       // gf_parkAirportLeft
};

// Called once at start, before the main loop runs.
void gf_setParkingWindow(const ParkingWindow& window);
const ParkingWindow& gf_parkingWindow();

} // namespace ovr
