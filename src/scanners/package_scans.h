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

// Writes output/LiveriesScanned.xml from the AI packages' aircraft.cfg files.
void gf_scanLiveries();
// Scans the installed scenery for airports (scanners/airport_scan.cpp):
// links or generates their airport files in airports/my_simaddon and
// airports/my_thirdparty, writes output/info/AirportsScanLog.txt and zips the
// airports new to the archive into tblo/tblo.zip. Throws UserErrorException
// 522 when input/ICAO_airports.txt is missing.
void gf_scanAirports();

} // namespace ovr
