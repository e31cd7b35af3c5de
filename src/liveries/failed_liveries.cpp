// Liveries the simulator could not create, the livery remembered per live
// aircraft, and what the matching reports to the log.
//
// A title that failed once is broken or missing in the user's packages, so
// it is never given again in this process; the set keeps its own copies of
// the texts, since it lives longer than any build of the livery tables. Many
// failures mean the scanned liveries no longer fit the installed packages:
// the run stops with a user error that points to the log.

#include <algorithm>
#include <vector>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/user_error.h"
#include "liveries/livery_matching_detail.h"

namespace ovr
{

HashedTexts g_noMatch;
HashedTexts g_failedTitles;
HashedTexts g_failedKeys;
std::unordered_map<std::uint32_t, std::string_view, AcKeyHash> g_rememberedLiveries;

namespace
{

constexpr std::string_view kTooManyFailures = "There are too many liveries that could not be created!";
constexpr int kBannerWidth = 64;
constexpr int kClosingBannerWidth = 36;

} // namespace

bool gf_isFailedTitle(std::string_view title)
{
    return !g_failedTitles.empty() && g_failedTitles.contains(title);
}

std::optional<std::string_view> gf_isFailedLivery(std::uint32_t key)
{
    const auto found = g_rememberedLiveries.find(key);
    if (found == g_rememberedLiveries.end())
        return std::nullopt;
    if (gf_isFailedTitle(found->second))
    {
        g_rememberedLiveries.erase(found);
        return std::nullopt;
    }
    return found->second;
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
        gf_setStatus(
            fmt::format("{} '{}' could not be created by your Sim!", record.callsign, record.liveryTitle),
            true);
    // An empty title was never given by the matching; there is nothing to
    // keep from being given again.
    if (!record.liveryTitle.empty())
        g_failedTitles.emplace(record.liveryTitle);
    g_failedKeys.insert(
        fmt::format("{} {}", g_modelCodes.text(record.key.model), g_airlineCodes.text(record.key.airline)));
    if (g_failedTitles.size() >= kMostFailedTitles)
    {
        gf_log(fmt::format("\n{}Error 81, {}\n", "===> ", kTooManyFailures));
        throw UserErrorException(81, fmt::format("{}, see Log.txt", kTooManyFailures));
    }
}

void gf_logNoMatches()
{
    if (g_noMatch.empty())
        return;
    gf_log("\nNo match found for:");
    for (const std::string& key : g_noMatch)
        gf_log(key);
    gf_log("");
}

void lf_clearNoMatchSet()
{
    g_noMatch.clear();
}

void gf_showLiveryMatchingSummary()
{
    if (std::all_of(g_matchSteps.begin(), g_matchSteps.end(), [](std::uint32_t count) { return count == 0; }))
        return;
    std::vector<std::string> lines;
    lines.push_back(gf_bannerLine(kBannerWidth, 0, true, false, "live traffic livery matching summary"));
    lines.emplace_back("Matches at step: ");
    for (std::size_t step = 0; step < g_matchSteps.size(); ++step)
        lines.push_back(fmt::format("  {}: {}", step, g_matchSteps[step]));
    if (!g_failedKeys.empty())
    {
        lines.emplace_back("\nCould not be created");
        for (const std::string& key : g_failedKeys)
            lines.push_back("  " + key);
    }
    lines.push_back(gf_bannerLine(kBannerWidth, kClosingBannerWidth, false, true, ""));
    for (const std::string& line : lines)
        gf_log(line);
}

} // namespace ovr
