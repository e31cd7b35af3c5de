// vora-probe tables DIR: builds the livery tables in the working folder DIR as
// the start-up does (input/dbase.enc, output/LiveriesScanned.xml,
// input/AIG-regcodes.enc, input/my_regcodes), which writes the regcode reports
// there, and prints the log lines and the tables in a stable order.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "captured_log.h"
#include "core/code_pool.h"
#include "core/parameters_file_detail.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/regcode_tables.h"
#include "liveries/similar_models.h"
#include "probe.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

std::vector<std::string> lf_codes(const std::vector<std::uint16_t>& ids)
{
    std::vector<std::string> codes;
    for (std::uint16_t id : ids)
        codes.push_back(g_modelCodes.text(id));
    return codes;
}

template <typename Map, typename Code> auto lf_byCode(const Map& map, Code code)
{
    std::map<std::string, const typename Map::mapped_type*> sorted;
    for (const auto& [id, value] : map)
        sorted.emplace(code(id), &value);
    return sorted;
}

std::string lf_airlineCode(std::uint16_t id)
{
    return g_airlineCodes.text(id);
}

std::string lf_modelCode(std::uint16_t id)
{
    return g_modelCodes.text(id);
}

void lf_printTables()
{
    for (const auto& [airline, models] : lf_byCode(g_airlineModels, lf_airlineCode))
    {
        for (const auto& [model, titles] : lf_byCode(*models, lf_modelCode))
        {
            for (const LiveryTitle& title : *titles)
                fmt::print("livery {} {} {}{}\n", airline, model, title.title, title.cargo ? " (cargo)" : "");
        }
    }
    for (std::size_t kind : {kPassenger, kCargo})
    {
        for (const auto& [model, titles] : lf_byCode(g_modelTitles[kind], lf_modelCode))
            fmt::print("{} {}: {}\n", kind == kPassenger ? "pax" : "cargo", model, fmt::join(*titles, " | "));
    }
    std::map<std::string, std::string_view> registrations(g_regcodeTitles.begin(), g_regcodeTitles.end());
    for (const auto& [registration, title] : registrations)
        fmt::print("registration {}{}: {}\n", registration,
                   g_specialRegcodes.contains(registration) ? " (special)" : "", title);
    for (const auto& [model, similar] : lf_byCode(g_similarModels, lf_modelCode))
        fmt::print("similar {}: {}\n", model, fmt::join(lf_codes(*similar), ","));
    for (const auto& [airline, substitutes] : lf_byCode(g_airlineSubstitutes, lf_airlineCode))
    {
        for (const auto& [model, similar] : lf_byCode(*substitutes, lf_modelCode))
            fmt::print("substitute {} {}: {}\n", airline, model, fmt::join(lf_codes(*similar), ","));
    }
    fmt::print("category lists: light {}, business jets {}, rotorcraft {}\n",
               fmt::join(lf_codes(g_categoryModels0), ","), fmt::join(lf_codes(g_categoryModels1), ","),
               fmt::join(lf_codes(g_categoryModels2), ","));
}

} // namespace

TablesBuild::TablesBuild(std::string_view folder)
    : m_settings(fs::temp_directory_path() / fmt::format("vora-probe-{:08x}-parameters.xml", std::random_device{}()))
{
    fs::current_path(fs::path(folder));
    // A category without liveries switches its option off and saves it; the
    // probe keeps that out of the user's own settings.
    detail::setParametersFile(m_settings);
}

TablesBuild::~TablesBuild()
{
    detail::setParametersFile({});
    std::error_code ec;
    fs::remove(m_settings, ec);
}

bool TablesBuild::build(CapturedLog& log)
{
    try
    {
        if (!detail::readDbaseFrom("input/dbase.enc", "input/dbase.xml"))
        {
            log.flushTo(std::cout);
            std::cerr << "reading data files failed!\n";
            return false;
        }
        gf_processScannedLiveries();
    }
    catch (...)
    {
        log.flushTo(std::cout);
        throw;
    }
    return true;
}

int tablesCommand(std::span<const std::string_view> args)
{
    if (args.size() != 1)
        throw std::invalid_argument("tables: the working folder is missing");
    TablesBuild tables(args[0]);
    CapturedLog log;
    if (!tables.build(log))
        return 1;
    log.flushTo(std::cout);
    lf_printTables();
    return 0;
}

} // namespace ovr::probe
