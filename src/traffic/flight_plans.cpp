#include "traffic/flight_plans.h"

#include <system_error>

#include <fmt/format.h>

#include "core/log.h"
#include "core/paths.h"

namespace ovr
{

const std::filesystem::path g_flightPlanFolder = g_appDataFolder / "orig_dest";

void gf_createFlightPlanFolder()
{
    std::error_code ec;
    std::filesystem::create_directories(g_flightPlanFolder, ec);
    if (ec)
    {
        gf_logWarning(fmt::format("gf_createFlightPlanFolder: {}", ec.message()));
    }
}

} // namespace ovr
