#include "traffic/flight_plans.h"

#include <ostream>
#include <system_error>

#include <fmt/format.h>

#include "core/files.h"
#include "core/log.h"
#include "core/paths.h"

namespace ovr
{

const std::filesystem::path g_flightPlanFolder = g_appDataFolder / "orig_dest";

bool gf_createFlightPlanFolder()
{
    std::error_code ec;
    std::filesystem::create_directories(g_flightPlanFolder, ec);
    if (ec)
    {
        gf_logWarning(fmt::format("gf_createFlightPlanFolder: {}", ec.message()));
        return false;
    }
    return true;
}

std::filesystem::path lf_flightPlanPath(std::uint32_t objectId)
{
    return g_flightPlanFolder / fmt::format("{}.pln", objectId);
}

bool lf_writeFlightPlan(const std::filesystem::path& path, const AiAircraftRecord& aircraft)
{
    // Light aircraft, high performance and rotorcraft fly by sight.
    const bool ifr = aircraft.category >= 1 && aircraft.category <= 3;
    const std::string text = fmt::format(
        "{}\n{}\n{}\n{}{}{}\n{}{}{}\n{}{}{}\n{}\n{}\n", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        "<SimBase.Document Type=\"AceXML\" version=\"4,3\">", "<FlightPlan.FlightPlan>", "<FPType>",
        ifr ? "IFR" : "VFR", "</FPType>", "<DepartureID>", aircraft.origin.text(), "</DepartureID>",
        "<DestinationID>", aircraft.destination.text(), "</DestinationID>", "</FlightPlan.FlightPlan>",
        "</SimBase.Document>");
    return gf_replaceFile(path,
                          [&](std::ostream& out)
                          {
                              out << text << '\n';
                              return static_cast<bool>(out);
                          });
}

void gf_removeFlightPlan(std::uint32_t objectId)
{
    std::error_code ec;
    std::filesystem::remove(lf_flightPlanPath(objectId), ec);
    if (ec)
    {
        gf_log(fmt::format("gf_removeFlightPlan: {}", ec.message()));
    }
}

} // namespace ovr
