// What the main window shows of the session beyond the values that the
// readers (service/service_panel.h), the simulator link
// (simlink/sim_panel_fields.h) and the airport code
// (airports/park_airport_panel.h) publish: the counts of the user's own
// airport folders and the follow field, written by the start-up and the
// main loop; and the reset of everything the panels show.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/shared_value.h"
#include "scanners/airport_file_counts.h"

namespace ovr
{

// The counts of the user's airport folders live with the airport scan
// (scanners/airport_file_counts.h).
// The follow field: "= <object id>" or "has left".
extern SharedValue<std::string> g_followText;

// The traffic counts that gf_updateTrafficCounts refreshes once a second:
// moving live aircraft (status panel), parked live and static parked
// aircraft (airport panel); the parked live aircraft's mean parked time is
// g_parkedMeanHoursShown of airports/airport_panel_figures.h.
extern std::atomic<std::int64_t> g_movingCount;
extern std::atomic<std::int64_t> g_parkedLiveCount;
extern std::atomic<std::int64_t> g_staticCount;

// The service session has not started yet: its indicator is drawn black.
extern std::atomic<std::uint8_t> g_serviceNotStarted;
// The time-shift controls are enabled (their labels black, else grey).
extern std::atomic<std::uint8_t> g_timeControlsEnabled;
// The "Now" button may be enabled (with INITIAL_LOAD_ONLY off): set by the
// parking operations and when the park airport is left.
extern std::atomic<std::uint8_t> g_nowPermitted;

// Panel texts, flags, counters and indicators back to their start values.
void gf_resetWindowState();

} // namespace ovr
