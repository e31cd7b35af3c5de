// The two scans that the start-up runs: the AI packages' liveries and the
// installed scenery's airports.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

// The liveries scan's limit of concurrent tasks (the hardware threads, 2 when
// the system reports none) and the tasks running now.
extern std::atomic<std::int32_t> g_maxScanTasks;
extern std::atomic<std::int32_t> g_runningScanTasks;
// Airport files copied by the last airport scan (shown in the top panel).
extern std::atomic<std::int32_t> g_airportFilesCopied;

// Writes output/LiveriesScanned.xml from the AI packages' aircraft.cfg files.
void gf_scanLiveries();
// Writes the airport files of the installed scenery.
void gf_scanAirports();

} // namespace ovr
