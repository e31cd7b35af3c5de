// The main loop of a session. The request flags that the window's commands
// raise and the loop consumes are in core/window_requests.h; its two
// counters, g_tick and g_clock, are in core/loop_clock.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/window_requests.h"

namespace ovr
{

// The loop has seen that no flight runs.
extern std::atomic<std::uint8_t> g_flightPaused;
// The object id of the followed live aircraft is g_followedObjectId
// (traffic/live_lists.h): removing an aircraft clears it.

// Runs the session on the start-up thread until a stop or the user's close.
void lf_mainLoop();

// Whether the session accepts received traffic (g_running, under the
// traffic mutex).
void gf_setSessionRunning(bool running);

// g_weekdayHour from the current (shifted data) time.
void gf_setWeekdayHour();

} // namespace ovr
