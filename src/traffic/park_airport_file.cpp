#include "traffic/park_airport_file.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "core/files.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "traffic/park_airports.h"

namespace ovr
{

namespace
{

constexpr std::string_view kFileName = "my_park_airports.txt";
constexpr std::size_t kManyAirports = 3000;

std::vector<std::string_view> lf_splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
        {
            return fields;
        }
        start = comma + 1;
    }
}

std::optional<IcaoCode> lf_codeOf(std::string_view text)
{
    try
    {
        return IcaoCode(text);
    }
    catch (const std::invalid_argument&)
    {
        return std::nullopt;
    }
}

// The file's lines; none when it is missing. Throws when it exists but cannot
// be read.
std::optional<std::vector<std::string>> lf_readFileLines()
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(g_myParkAirportsTxtPath, ec);
    if (ec)
    {
        throw std::filesystem::filesystem_error("exists", g_myParkAirportsTxtPath, ec);
    }
    if (!exists)
    {
        return std::nullopt;
    }
    std::ifstream in(g_myParkAirportsTxtPath, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error(fmt::format("{} cannot be opened", gf_pathToUtf8(g_myParkAirportsTxtPath)));
    }
    std::vector<std::string> lines;
    gf_readLines(in, lines);
    if (in.bad())
    {
        throw std::runtime_error(fmt::format("{} cannot be read", gf_pathToUtf8(g_myParkAirportsTxtPath)));
    }
    return lines;
}

void lf_addThirdpartyAirports(std::vector<ParkAirportEntry>& list, bool& result)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(g_myThirdpartyPath, ec))
    {
        return;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(g_myThirdpartyPath))
    {
        if (entry.is_regular_file())
        {
            files.push_back(entry.path());
        }
    }
    // Directory order differs between systems; the list must not.
    std::ranges::sort(files);
    for (const auto& file : files)
    {
        const std::string stem = gf_pathToUtf8(file.stem());
        const std::optional<IcaoCode> code = lf_codeOf(stem);
        if (!code)
        {
            gf_logWarning(fmt::format("{}:{} wrong syntax, skipped", "my_thirdparty", gf_pathToUtf8(file.filename())));
            result = false;
            continue;
        }
        if (std::ranges::any_of(list, [&](const ParkAirportEntry& e) { return e.icao == *code; }))
        {
            continue;
        }
        if (const Airport* airport = gf_findAirport(*code))
        {
            list.push_back(ParkAirportEntry{*code, {}, airport->latitude, airport->longitude, 0.0});
        }
    }
}

} // namespace

bool lf_readMyParkAirports()
{
    bool result = true;
    std::vector<ParkAirportEntry> list;
    try
    {
        const std::optional<std::vector<std::string>> lines = lf_readFileLines();
        if (!lines)
        {
            gf_log(fmt::format("{} not found", gf_pathToUtf8(g_myParkAirportsTxtPath)));
        }
        else
        {
            std::unordered_set<std::string_view> accepted;
            for (const std::string& line : *lines)
            {
                if (line.empty())
                {
                    continue;
                }
                const std::vector<std::string_view> fields = lf_splitFields(line);
                const std::optional<IcaoCode> code = fields.size() < 3 ? lf_codeOf(fields[0]) : std::nullopt;
                if (!code)
                {
                    gf_logWarning(fmt::format("{}:{} wrong syntax, skipped", kFileName, line));
                    result = false;
                    continue;
                }
                if (accepted.contains(fields[0]))
                {
                    gf_logWarning(fmt::format("{}:{} double, skipped", kFileName, fields[0]));
                    continue;
                }
                const Airport* airport = gf_findAirport(*code);
                if (airport == nullptr)
                {
                    gf_setStatus(fmt::format("airport {} is unknown", code->text()), true);
                    result = false;
                    continue;
                }
                accepted.insert(fields[0]);
                list.push_back(ParkAirportEntry{*code, fields.size() > 1 ? std::string(fields[1]) : std::string(),
                                                airport->latitude, airport->longitude, 0.0});
            }
            if (!list.empty())
            {
                gf_log(fmt::format("\n{:5} park airport{} read from '{}'", list.size(), list.size() == 1 ? "" : "s",
                                   kFileName));
            }
            if (list.size() > kManyAirports)
            {
                gf_setStatus(fmt::format("Warning: There are a lot of airports ({}), that will cost Vora much cpu "
                                         "time and may cause stutters",
                                         list.size()),
                             true);
            }
        }
        lf_addThirdpartyAirports(list, result);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "lf_readMyParkAirports", e.what()));
        result = false;
    }
    const std::scoped_lock lock(g_parkAirportsMutex);
    g_parkAirports = std::move(list);
    return result;
}

void gf_addParkAirport()
{
    std::string line;
    std::string code;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        if (g_parkAirports.empty())
        {
            return;
        }
        const ParkAirportEntry& first = g_parkAirports.front();
        code = first.icao.text();
        line = first.reservedStand.empty() ? code : fmt::format("{},{}", code, first.reservedStand);
    }
    std::vector<std::string> lines;
    std::string logLine;
    try
    {
        std::optional<std::vector<std::string>> existing = lf_readFileLines();
        if (!existing)
        {
            lines.push_back(line);
            logLine = fmt::format("{} created with {}", kFileName, line);
        }
        else
        {
            lines = std::move(*existing);
            const auto it = std::ranges::find_if(lines, [&](const std::string& l)
                                                 { return lf_splitFields(l).front() == code; });
            if (it != lines.end())
            {
                *it = line;
                logLine = fmt::format("{}:{} updated stand", kFileName, line);
            }
            else
            {
                lines.push_back(line);
                logLine = fmt::format("{}:{} new entry", kFileName, line);
            }
        }
    }
    catch (const std::exception& e)
    {
        // A file that exists but cannot be read keeps what the user wrote.
        gf_logWarning(fmt::format("{}: {}, not changed", "gf_addParkAirport", e.what()));
        return;
    }
    std::ranges::sort(lines);
    // std::unique, not the ranges one: clang 14 cannot compile the latter
    // against g++ 12's library.
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    const bool written = gf_replaceFile(g_myParkAirportsTxtPath,
                                        [&](std::ostream& out)
                                        {
                                            for (const std::string& l : lines)
                                            {
                                                out << l << '\n';
                                            }
                                            return true;
                                        });
    if (!written)
    {
        gf_logWarning(fmt::format("{} could not be written", gf_pathToUtf8(g_myParkAirportsTxtPath)));
        return;
    }
    gf_log(logLine);
}

void gf_recordUserStand(const std::string& standName)
{
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
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
