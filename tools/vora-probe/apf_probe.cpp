// vora-probe apf DIR ICAO: reads the airport file of ICAO in the working
// folder DIR as the program reads its park airport's file (with the learned
// file, the airport list and the model database when DIR has them), prints
// the lines the reader logs, then what the window would show.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/apf_locate.h"
#include "airports/apf_reader.h"
#include "airports/park_airport.h"
#include "airports/park_airport_panel.h"
#include "airports/stand_list.h"
#include "core/fixed_code.h"
#include "core/log_detail.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "liveries/model_database.h"
#include "probe.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

// Files the probe writes while it reads (its log, settings put back) go to
// the temp folder, never into the working folder or the user's settings.
struct ScratchFiles
{
    const std::string tag = fmt::format("vora-probe-apf-{:08x}", std::random_device{}());
    const fs::path log = fs::temp_directory_path() / (tag + "-log.txt");
    const fs::path parameters = fs::temp_directory_path() / (tag + "-parameters.xml");

    ~ScratchFiles()
    {
        std::error_code ec;
        fs::remove(log, ec);
        fs::remove(parameters, ec);
    }
};

// A data file of the folder is read when it is there; the airport file
// reads without them, with fewer answers.
template <class Read> void lf_readOptional(const fs::path& file, Read read)
{
    if (!fs::exists(file))
        return;
    try
    {
        read();
    }
    catch (const std::exception& e)
    {
        std::cerr << file.string() << ": " << e.what() << '\n';
    }
}

void lf_printLog(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line))
        std::cout << line << '\n';
}

} // namespace

int apfCommand(std::span<const std::string_view> args)
{
    if (args.size() != 2)
        throw std::invalid_argument("apf: DIR and ICAO are needed");
    const IcaoCode icao{args[1]};
    fs::current_path(fs::path(args[0]));

    ScratchFiles scratch;
    detail::openLogAt(scratch.log);
    detail::setParametersFile(scratch.parameters);
    lf_readOptional(g_airportsEncPath, [] { gf_readAirports(); });
    lf_readOptional(g_dbaseEncPath, [] { gf_readDbase(); });

    const Airport* listed = gf_findAirport(icao);
    g_parkAirport = listed != nullptr ? *listed : Airport{icao, g_xxx};
    const std::string name = gf_findAirportFile(icao);
    if (name.empty())
    {
        detail::closeLog();
        std::cerr << fmt::format("{}: no airport file\n", icao.text());
        return 1;
    }
    ApfHeader header;
    std::string result;
    try
    {
        result = gf_readApf(name, header, g_coverage, g_stands);
    }
    catch (const std::exception& e)
    {
        result = e.what();
    }
    detail::closeLog();
    lf_printLog(scratch.log);

    const ParkAirportPanel panel = gf_parkAirportPanel();
    fmt::print("file: {}\n", name);
    fmt::print("airport: {} ({})\n", header.airportName, icao.text());
    fmt::print("information: {}{}\n", panel.fileText, panel.handmade ? " [handmade]" : "");
    fmt::print("stands: {}\n", g_stands.size());
    fmt::print("quality: {}\n", panel.qualityText);
    if (!result.empty())
    {
        std::cerr << result << '\n';
        return 1;
    }
    return 0;
}

} // namespace ovr::probe
