// The window's operations that the lifecycle and the traffic logic call:
// the range, the time shift, the parking controls, the destination, the
// traffic counts and the folders shown to the user. They run on the
// caller's thread and reach the controls only through calls that wait for
// the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "airports/airport.h"

namespace ovr
{

// AUTO_RANGE on: remembers the manual range and computes the automatic one;
// off: restores the remembered range. RANGE's box is enabled while it is off.
void gf_applyAutoRange();
// Recomputes RANGE from the user's height and distance to the park airport
// while AUTO_RANGE is on; a changed range moves the traffic box.
void gf_autoRange();
// The parking-percentage controls, enabled unless RT_PARKTRAFFIC_ONLY is on
// (or a parking calculation runs).
void gf_enableParkPctControls();
// The time-shift controls by the service account type.
void gf_enableTimeControls(bool enable);
// Makes `minutes` the time shift of both readers (at most 2 weeks). Unless
// quiet, with a park airport in force, the main loop then replaces every
// aircraft in the simulator with the traffic of the new time.
void gf_timeShift(std::int32_t minutes, bool quiet);
// Splits `minutes` into the three time-shift settings, saves and shows them.
void gf_showTimeShift(std::int32_t minutes);
// Applies SIM_TIME to the time shift and its boxes.
void gf_applySimTimeSetting();
// The simulator time seen at the last per-second step (0 = derive anew).
extern std::atomic<std::int64_t> g_simTimeBase;

// A static-parking calculation starts: its controls are disabled.
void gf_parkingBusy();
// It ended: its controls are enabled again and the renewal counts from 20.
void gf_parkingDone();
// Arms the two-step parking update for the next 15-second slot.
void gf_scheduleParkingUpdate();
// The park airport was left: with no airport there is nothing to flush or
// calculate now ("Now" keeps its state while INITIAL_LOAD_ONLY is on), and a
// destination may be typed again.
void gf_parkAirportLeft();

// The destination becomes the first park airport at once: for the start-up
// thread, on which the main loop runs later.
void gf_setDestination(std::string_view destination, const Airport& airport);
// The same from the window: the main loop makes it the first park airport.
void gf_requestDestination(std::string_view destination, const Airport& airport);

// Recounts the moving, parked and static aircraft once a second and repaints
// the band whose figure changed. Main loop.
void gf_updateTrafficCounts();
// Logs "No traffic in this region?" when no live traffic arrived in 15 s.
void lf_noTrafficCheck();

// Shows the folder of parameters.xml or of the manual in the file manager;
// on failure a message box, and false.
bool lf_openParametersFolder();
bool lf_openManual();

// The option controls in their start state: enabled, showing their values.
void gf_setOptionControlsStartState();
void gf_enableRereadButton(bool enable);
void gf_enableCsOidButton(bool enable);

} // namespace ovr
