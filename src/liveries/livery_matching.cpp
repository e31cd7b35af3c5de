#include "liveries/livery_matching.h"

#include <deque>
#include <unordered_map>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/user_error.h"

namespace ovr
{

std::unordered_set<std::string> g_noMatch;

namespace
{

constexpr std::size_t kMostFailedTitles = 20;

// The stand-in titles; a deque keeps every handed-out view valid for the
// life of the process, as the title store does for the scanned ones.
std::deque<std::string> g_standInTitles;
std::unordered_map<std::string, std::string_view> g_standInIndex;
// Own copies: a failure outlives any rebuild of the tables.
std::unordered_set<std::string> g_failedTitles;
std::unordered_set<std::string> g_failedKeys;
std::unordered_map<std::uint32_t, std::string_view> g_rememberedLiveries;

std::string_view lf_standInTitle(const AiAircraftRecord& record)
{
    std::string title = fmt::format("{} {}", g_modelCodes.text(record.key.model), g_airlineCodes.text(record.key.airline));
    if (record.key.cargo != 0)
    {
        title += " cargo";
    }
    if (g_failedTitles.contains(title))
    {
        return {};
    }
    const auto it = g_standInIndex.find(title);
    if (it != g_standInIndex.end())
    {
        return it->second;
    }
    const std::string& stored = g_standInTitles.emplace_back(std::move(title));
    g_standInIndex.emplace(stored, stored);
    return stored;
}

void lf_setTitle(AiAircraftRecord& record, std::string_view title)
{
    record.liveryTitle = title;
    record.reverseThrust = title.find("FSLTL_") != std::string_view::npos ? 1 : 0;
}

} // namespace

void gf_showLiveryMatchingSummary() {}

void gf_logNoMatches()
{
    gf_log("No match found for:");
    for (const std::string& key : g_noMatch)
    {
        gf_log(key);
    }
}

void lf_clearNoMatchSet()
{
    g_noMatch.clear();
}

void gf_matchLivery4SpawnedAc(AiAircraftRecord& record)
{
    lf_setTitle(record, lf_standInTitle(record));
}

bool gf_matchLivery(AiAircraftRecord& record, std::string_view /*standName*/, bool /*cargoStand*/)
{
    lf_setTitle(record, lf_standInTitle(record));
    return !record.liveryTitle.empty();
}

std::optional<std::string_view> gf_isFailedLivery(std::uint32_t key)
{
    const auto it = g_rememberedLiveries.find(key);
    if (it == g_rememberedLiveries.end())
    {
        return std::nullopt;
    }
    if (g_failedTitles.contains(std::string(it->second)))
    {
        g_rememberedLiveries.erase(it);
        return std::nullopt;
    }
    return it->second;
}

void gf_rememberLivery(std::uint32_t key, std::string_view title)
{
    g_rememberedLiveries[key] = title;
}

void gf_forgetLivery(std::uint32_t key)
{
    g_rememberedLiveries.erase(key);
}

void gf_forgetRememberedLiveries()
{
    g_rememberedLiveries.clear();
}

void gf_liveryNotCreated(const AiAircraftRecord& record)
{
    if (!gf_isQuiet())
    {
        gf_setStatus(fmt::format("{} '{}' could not be created by your Sim!", record.callsign, record.liveryTitle),
                     true);
    }
    g_failedTitles.emplace(record.liveryTitle);
    g_failedKeys.insert(
        fmt::format("{} {}", g_modelCodes.text(record.key.model), g_airlineCodes.text(record.key.airline)));
    if (g_failedTitles.size() >= kMostFailedTitles)
    {
        const std::string message = "There are too many liveries that could not be created!";
        gf_log(fmt::format("\n{}Error 81, {}\n", "===> ", message));
        throw UserErrorException(81, fmt::format("{}, see Log.txt", message));
    }
}

} // namespace ovr
