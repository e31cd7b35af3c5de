// vora-probe bgl FILE [DIR]: decodes the airports of a scenery file as the
// airport scan does (with the airport list of the working folder DIR, the
// current folder by default) and prints the log and report lines of the
// reader and every decoded airport with its stands, in file order.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "core/geometry.h"
#include "core/log_detail.h"
#include "core/paths.h"
#include "probe.h"
#include "scanners/bgl_reader.h"
#include "scanners/scan_report.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

constexpr double kMetresPerNm = 1852.0;

void lf_printAirport(const ScannedAirport& airport, std::uint32_t helipads)
{
    const AirportStands& record = airport.record;
    fmt::print("airport {}: elevation {} ft, {} stand{}, {} helipad{}\n", record.icao.text(),
               record.elevation, record.stands.size(), record.stands.size() == 1 ? "" : "s", helipads,
               helipads == 1 ? "" : "s");
    for (const Stand& stand : record.stands)
        fmt::print("  {:<10} {:.6f} {:.6f} heading {:.1f} radius {:.1f} type {}{}\n", stand.name,
                   stand.latitude, stand.longitude, stand.heading * kRadToDeg, stand.radius * kMetresPerNm,
                   stand.type, stand.heli != 0 ? " helipad" : "");
}

} // namespace

int bglCommand(std::span<const std::string_view> args)
{
    if (args.empty() || args.size() > 2)
        throw std::invalid_argument("bgl: FILE and optionally DIR are needed");
    const fs::path file = fs::absolute(fs::path(args[0]));
    if (args.size() == 2)
        fs::current_path(fs::path(args[1]));

    const fs::path log =
        fs::temp_directory_path() / fmt::format("vora-probe-bgl-{:08x}-log.txt", std::random_device{}());
    detail::openLogAt(log);
    if (fs::exists(g_airportsEncPath))
        gf_readAirports();
    else
        std::cerr << "no airport list in " << fs::current_path().string() << ": no airport is known\n";

    BglAirportSink sink;
    sink.write = lf_printAirport;
    int result = 0;
    try
    {
        lf_processBGLfile(file, sink);
    }
    catch (const std::exception& e)
    {
        std::cerr << e.what() << '\n';
        result = 1;
    }
    detail::closeLog();
    std::ifstream in(log, std::ios::binary);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line))
        std::cout << "log: " << line << '\n';
    in.close();
    std::error_code ec;
    fs::remove(log, ec);
    for (const std::string& report : g_scanMessages)
        std::cout << "report: " << report << '\n';
    return result;
}

} // namespace ovr::probe
