#include "scanners/package_scans.h"

#include "core/log.h"

namespace ovr
{

std::atomic<std::int32_t> g_maxScanTasks{2};
std::atomic<std::int32_t> g_runningScanTasks{0};
std::atomic<std::int32_t> g_airportFilesCopied{0};

// The scanners arrive with their own subsystem; until then a scan finds
// nothing and says so.
void gf_scanLiveries()
{
    gf_log("Liveries scan: no scanner in this build");
}

void gf_scanAirports()
{
    gf_log("Airports scan: no scanner in this build");
}

} // namespace ovr
