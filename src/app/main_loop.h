// The main loop of a session and the state it shares with the window's
// commands: the request flags that the commands raise and the loop consumes
// (each by exchange with 0, so a request made while its job runs stays for
// the next time). Its two counters, g_tick and g_clock, are in
// core/loop_clock.h.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

// The loop has seen that no flight runs.
extern std::atomic<std::uint8_t> g_flightPaused;
// Minutes until the next renewal of the static parked aircraft.
extern std::atomic<std::int32_t> g_staticRenewMinutes;
// The object id of the followed live aircraft is g_followedObjectId
// (traffic/live_lists.h): removing an aircraft clears it.

extern std::atomic<std::uint8_t> g_rereadRequested;
extern std::atomic<std::uint8_t> g_flushStaticRequested;
extern std::atomic<std::uint8_t> g_csOidRequested;
extern std::atomic<std::uint8_t> g_noMatchListRequested;
extern std::atomic<std::uint8_t> g_blockListChanged;
extern std::atomic<std::uint8_t> g_followChanged;
extern std::atomic<std::uint8_t> g_parkingOptionChanged;
extern std::atomic<std::uint8_t> g_staticParkingArmed;

// Runs the session on the start-up thread until a stop or the user's close.
void lf_mainLoop();

// Applies SIM_TIME to the time shift and its controls.
void gf_applySimTimeSetting();

// Whether the session accepts received traffic (g_running, under the
// traffic mutex).
void gf_setSessionRunning(bool running);

// g_weekdayHour from the current (shifted data) time.
void gf_setWeekdayHour();

} // namespace ovr
