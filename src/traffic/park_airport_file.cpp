#include "traffic/park_airport_file.h"

#include <fstream>
#include <string>

#include <fmt/format.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "traffic/park_airports.h"

namespace ovr
{

void gf_addParkAirport()
{
    std::string line;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirports.empty())
        {
            return;
        }
        const ParkAirportEntry& first = g_parkAirports.front();
        line = fmt::format("{}{}", first.icao.text(),
                           first.reservedStand.empty() ? std::string()
                                                       : fmt::format(",{}", first.reservedStand));
    }
    const std::string file = gf_pathToUtf8(g_myParkAirportsTxtPath);
    std::error_code ec;
    const bool existed = std::filesystem::exists(g_myParkAirportsTxtPath, ec);
    std::ofstream out(g_myParkAirportsTxtPath, std::ios::binary | std::ios::app);
    out << line << '\n';
    if (!out)
    {
        gf_logWarning(fmt::format("{} could not be written", file));
        return;
    }
    gf_log(existed ? fmt::format("{}:{} new entry", file, line)
                   : fmt::format("{} created with {}", file, line));
}

void gf_recordUserStand(const std::string& standName)
{
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirports.empty())
        {
            return;
        }
        ParkAirportEntry& first = g_parkAirports.front();
        if (first.icao != g_parkAirport.icao || first.reservedStand == standName)
        {
            return;
        }
        first.reservedStand = standName;
    }
    gf_addParkAirport();
}

} // namespace ovr
