#include "scanners/package_scans.h"

#include "core/log.h"

namespace ovr
{

std::atomic<std::int32_t> g_maxScanTasks{2};
std::atomic<std::int32_t> g_runningScanTasks{0};

// The liveries scanner arrives with its own issue; until then the scan finds
// nothing and says so.
void gf_scanLiveries()
{
    gf_log("Liveries scan: no scanner in this build");
}

} // namespace ovr
