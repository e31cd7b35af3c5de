// vora-probe dbase DIR [--reg REG] [--type TYPE]: reads DIR/input/dbase.enc,
// prints the lines the program logs while reading it, then the answers.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "captured_log.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"
#include "probe.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

void lf_printType(std::string_view type)
{
    std::uint16_t id = gf_modelId(type);
    const std::string& name = g_modelCodes.text(id);
    if (name != type)
        fmt::print("type {}: corrected to {}\n", type, name);
    int category = gf_categoryOfModel(id);
    double halfSpan = gf_wingspanOf(id);
    fmt::print("type {}: {}, category {} {}, half wingspan {:.6f} NM ({:.2f} m)\n", name,
               gf_isKnownModel(name) ? "known" : "not known", category, gf_categoryName(category), halfSpan,
               halfSpan * 2 * 1852);
}

void lf_printRegistration(std::string_view registration)
{
    fmt::print("registration {}: tried {}\n", registration,
               fmt::join(gf_registrationVariants(registration), ", "));
    if (auto key = gf_findRegistrationKey(registration))
        fmt::print("registration {}: {}\n", registration, gf_flightTypeText(*key));
    else
        fmt::print("registration {}: not in the database\n", registration);
}

} // namespace

int dbaseCommand(std::span<const std::string_view> args)
{
    if (args.empty())
        throw std::invalid_argument("dbase: the working folder is missing");
    fs::path folder(args[0]);
    std::optional<std::string_view> registration;
    std::optional<std::string_view> type;
    for (std::size_t i = 1; i < args.size(); i += 2)
    {
        if (i + 1 >= args.size())
            throw std::invalid_argument(fmt::format("dbase: {} needs a value", args[i]));
        if (args[i] == "--reg")
            registration = args[i + 1];
        else if (args[i] == "--type")
            type = args[i + 1];
        else
            throw std::invalid_argument(fmt::format("dbase: unknown option {}", args[i]));
    }

    CapturedLog log;
    bool complete = false;
    try
    {
        complete = detail::readDbaseFrom(folder / "input" / "dbase.enc", folder / "input" / "dbase.xml");
    }
    catch (...)
    {
        log.flushTo(std::cout);
        throw;
    }
    log.flushTo(std::cout);
    if (!complete)
    {
        std::cerr << "reading data files failed!\n";
        return 1;
    }

    fmt::print("{} known types, {} registrations, largest half wingspan {:.6f} NM\n", g_knownModels.size(),
               g_dbase.size(), g_maxWingSpan);
    if (type)
        lf_printType(*type);
    if (registration)
        lf_printRegistration(*registration);
    log.flushTo(std::cout);
    return 0;
}

} // namespace ovr::probe
