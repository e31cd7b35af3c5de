// vora-probe match DIR aircraft.csv [--seed N] [--depth D]: builds the livery
// tables of the working folder DIR as the start-up does, then gives each
// aircraft of the list its livery as a spawn does and prints the log lines of
// the matching (the step-coded lines, the aircraft without a livery, the
// summary). With the same seed the output is the same from run to run.
//
// aircraft.csv: one aircraft a line, "callsign,airline,operator,type,cargo,
// registration" (cargo 1 or 0, operator and registration may be empty);
// blank lines and lines beginning with '#' are skipped. A line with a
// seventh field reports that the simulator could not create that aircraft
// with that title.

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "captured_log.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/random_detail.h"
#include "core/text.h"
#include "liveries/livery_matching.h"
#include "liveries/model_lookups.h"
#include "probe.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

constexpr std::size_t kAircraftFields = 6;
constexpr std::size_t kFailureFields = 7;

std::uint32_t lf_number(std::string_view option, std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        throw std::invalid_argument(fmt::format("match: {} needs a number, not '{}'", option, text));
    return value;
}

AiAircraftRecord lf_record(const std::vector<std::string>& fields)
{
    AiAircraftRecord record;
    record.callsign = fields[0];
    record.key.airline = gf_airlineId(fields[1]);
    record.key.secondAirline = fields[2].empty() ? std::uint16_t{0} : gf_airlineId(fields[2]);
    record.key.model = gf_modelId(fields[3]);
    record.key.cargo = fields[4] == "1" ? 1 : 0;
    record.registration = fields[5];
    record.category = static_cast<std::uint32_t>(gf_categoryOfModel(record.key.model));
    return record;
}

std::vector<std::vector<std::string>> lf_readAircraft(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(fmt::format("match: cannot read {}", file.string()));
    std::vector<std::vector<std::string>> rows;
    std::size_t lineNumber = 0;
    for (std::string line; std::getline(in, line);)
    {
        ++lineNumber;
        const std::string text = gf_trim(line);
        if (text.empty() || text.front() == '#')
            continue;
        std::vector<std::string> fields = lf_splitComma(text);
        if (fields.size() != kAircraftFields && fields.size() != kFailureFields)
            throw std::runtime_error(fmt::format("match: {} line {}: {} fields, 6 or 7 expected",
                                                 file.string(), lineNumber, fields.size()));
        rows.push_back(std::move(fields));
    }
    return rows;
}

} // namespace

int matchCommand(std::span<const std::string_view> args)
{
    if (args.size() < 2)
        throw std::invalid_argument("match: the working folder and the aircraft list are needed");
    std::uint32_t seed = 1;
    std::int32_t depth = MATCHING_DEPTH.defaultValue;
    for (std::size_t i = 2; i < args.size(); i += 2)
    {
        if (i + 1 >= args.size())
            throw std::invalid_argument(fmt::format("match: {} needs a value", args[i]));
        if (args[i] == "--seed")
            seed = lf_number(args[i], args[i + 1]);
        else if (args[i] == "--depth")
            depth = static_cast<std::int32_t>(lf_number(args[i], args[i + 1]));
        else
            throw std::invalid_argument(fmt::format("match: unknown option {}", args[i]));
    }
    if (depth < 1 || depth > 4)
        throw std::invalid_argument(fmt::format("match: depth {} is not 1 to 4", depth));
    const std::vector<std::vector<std::string>> rows = lf_readAircraft(fs::absolute(fs::path(args[1])));

    TablesBuild tables(args[0]);
    CapturedLog log;
    if (!tables.build(log))
        return 1;
    std::ostream devNull(nullptr);
    log.flushTo(devNull);

    MATCHING_DEPTH.current.store(depth);
    detail::seedRandom(seed);
    int exitCode = 0;
    for (const std::vector<std::string>& fields : rows)
    {
        AiAircraftRecord record = lf_record(fields);
        if (fields.size() == kFailureFields)
        {
            record.liveryTitle = fields[6];
            try
            {
                gf_liveryNotCreated(record);
            }
            catch (const std::exception& e)
            {
                gf_log(e.what());
                exitCode = 1;
                break;
            }
            continue;
        }
        gf_matchLivery4SpawnedAc(record);
        if (record.liveryTitle.empty())
        {
            gf_log(fmt::format("          {} no livery", gf_flightText(record)));
            g_noMatch.insert(gf_modelKeyText(record));
        }
    }
    gf_logNoMatches();
    gf_showLiveryMatchingSummary();
    log.flushTo(std::cout);
    return exitCode;
}

} // namespace ovr::probe
