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

// Panel texts, flags, counters and indicators back to their start values.
void gf_resetWindowState();

} // namespace ovr
