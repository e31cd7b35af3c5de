#include "liveries/regcode_tables.h"

#include <array>
#include <filesystem>

#include <fmt/format.h>

#include "core/files.h"
#include "core/flight_text.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/text_lines.h"
#include "liveries/livery_data.h"
#include "liveries/livery_tables.h"

namespace ovr
{

FlatTextMap<std::string_view, true> g_regcodeTitles;
FlatTextMap<std::string_view, false> g_titleRegistrations;
std::set<std::string, std::less<>> g_specialRegcodes;
std::set<std::string, std::less<>> g_uniqueRegcodes;
std::vector<std::string_view> g_boundTitles;
std::unordered_set<std::string_view, Fnv1aHash, std::equal_to<>> g_boundTitleSet;
std::vector<std::string> g_offlineRegcodeMessages;

namespace
{

namespace fs = std::filesystem;

constexpr std::size_t kRegcodes = 36000;
constexpr std::size_t kBoundTitles = 4096;
constexpr std::size_t kAigEntries = 7000;
constexpr std::size_t kMyEntries = 1000;
// How many liveries or entries ahead a loop over the tables asks for their
// slots: enough to cover a memory access with the work on those between.
constexpr std::size_t kPrefetchAhead = 8;

// A report that cannot be written is worth a warning, never a stopped
// start-up: the tables are complete without it. False when it was not
// written, so that no log line sends the user to it.
bool lf_writeReport(const std::vector<std::string>& lines, const fs::path& file)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec)
    {
        gf_logWarning(fmt::format("could not create {} ({}), {} not written", file.parent_path().string(),
                                  ec.message(), file.filename().string()));
        return false;
    }
    if (!gf_writeLines(lines, file))
    {
        gf_logWarning(fmt::format("could not write {}", file.string()));
        return false;
    }
    return true;
}

void lf_processAigRegcodes(std::string& text)
{
    g_offlineRegcodeMessages.push_back(fmt::format("Processing file {}", g_aigRegcodesXmlPath.string()));
    std::vector<RegcodeEntry> entries;
    entries.reserve(kAigEntries);
    if (!lf_readAigRegcodes(text, entries))
        g_offlineRegcodeMessages.push_back(
            fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt",
                        g_aigRegcodesXmlPath.string()));
    lf_mergeRegcodeEntries(entries);
}

void lf_processMyRegcodes()
{
    if (gf_countFolderEntries(g_myRegcodesPath) == 0)
        return;
    g_offlineRegcodeMessages.push_back(fmt::format("Processing files in {}", g_myRegcodesPath.string()));
    std::vector<RegcodeEntry> entries;
    entries.reserve(kMyEntries);
    if (!lf_readRegcodeFiles(g_myRegcodesPath, entries))
        gf_setStatus(fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt",
                                 g_myRegcodesPath.string()),
                     true);
    lf_mergeRegcodeEntries(entries);
}

} // namespace

void lf_processInlineRegcodes()
{
    // Room for every livery's registration at once, so that a large scan
    // does not grow the tables step by step.
    g_titleRegistrations.reserve(g_liveries.size());
    if (g_liveries.size() > kRegcodes)
        g_regcodeTitles.reserve(g_liveries.size());
    std::vector<std::string> clashes;

    // Both tables are megabytes of slots at this size: the slots of the
    // liveries kPrefetchAhead further on are asked for while one is entered.
    const std::size_t count = g_liveries.size();
    std::array<std::uint64_t, kPrefetchAhead> registrationHashes{};
    std::array<std::uint64_t, kPrefetchAhead> titleHashes{};
    const auto prefetch = [&](std::size_t i)
    {
        const std::size_t ring = i % kPrefetchAhead;
        registrationHashes[ring] = g_regcodeTitles.hashOf(g_liveries[i].registration);
        g_regcodeTitles.prefetch(registrationHashes[ring]);
        if (i < g_liveryTitleViews.size())
        {
            titleHashes[ring] = g_titleRegistrations.hashOf(g_liveryTitleViews[i]);
            g_titleRegistrations.prefetch(titleHashes[ring]);
        }
    };
    for (std::size_t i = 0; i < count && i < kPrefetchAhead; ++i)
        prefetch(i);

    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint64_t registrationHash = registrationHashes[i % kPrefetchAhead];
        std::uint64_t titleHash = titleHashes[i % kPrefetchAhead];
        if (i + kPrefetchAhead < count)
            prefetch(i + kPrefetchAhead);
        const LiveryData& livery = g_liveries[i];
        if (livery.registration.empty())
            continue;
        const std::string& registration = livery.registration;
        std::string_view title;
        if (i < g_liveryTitleViews.size())
            title = g_liveryTitleViews[i];
        else
        {
            title = lf_findLiveryTitle(livery.title);
            titleHash = g_titleRegistrations.hashOf(title);
        }
        if (title.empty())
        {
            clashes.push_back(fmt::format("==> [{}] {} '{}' not available, system error, should not happen?",
                                          gf_flightTypeText(livery.key), registration, livery.title));
            continue;
        }
        const auto [byRegcode, newRegcode] =
            g_regcodeTitles.try_emplace_hashed(registrationHash, registration, title);
        if (!newRegcode && byRegcode->second != title)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", registration, livery.title,
                                          byRegcode->second));
        const auto [byTitle, newTitle] =
            g_titleRegistrations.try_emplace_hashed(titleHash, title, byRegcode->first);
        if (!newTitle && byTitle->second != registration)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", livery.title, registration,
                                          byTitle->second));
    }
    if (clashes.empty())
        return;
    if (lf_writeReport(clashes, g_inlineRegcodesTxtPath))
        gf_log(fmt::format("{:5} in-line regcode clashes, see '{}'", clashes.size(),
                           g_inlineRegcodesTxtPath.string()));
    else
        gf_log(fmt::format("{:5} in-line regcode clashes", clashes.size()));
}

void lf_processOfflineRegcodes()
{
    try
    {
        g_offlineRegcodeMessages.clear();
        if (std::string aig; lf_decryptAigRegcodes(aig))
            lf_processAigRegcodes(aig);
        else
            gf_logWarning(fmt::format("{} not read; the registrations of your own lists are still used",
                                      g_aigRegcodesEncPath.string()));
        lf_processMyRegcodes();

        gf_removeFileWarn(g_offlineRegcodesTxtPath);
        if (!g_offlineRegcodeMessages.empty())
        {
            if (lf_writeReport(g_offlineRegcodeMessages, g_offlineRegcodesTxtPath))
                gf_log(fmt::format("Offline regcode files processed, results can be found in '{}'",
                                   g_offlineRegcodesTxtPath.string()));
        }
        if (!g_boundTitles.empty())
            gf_log(fmt::format("{:5} special liveries", g_boundTitles.size()));
        if (!g_uniqueRegcodes.empty())
            gf_log(fmt::format("{:5} unique liveries", g_uniqueRegcodes.size()));
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("exception: {}", e.what()));
    }
}

void lf_mergeRegcodeEntries(const std::vector<RegcodeEntry>& entries)
{
    std::int64_t added = 0;
    std::int64_t replaced = 0;
    std::int64_t special = 0;
    std::vector<std::string_view> titles;
    titles.reserve(entries.size());
    for (const RegcodeEntry& entry : entries)
        titles.push_back(entry.title);
    lf_findLiveryTitles(titles);
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        if (i + kPrefetchAhead < entries.size() && !titles[i + kPrefetchAhead].empty())
        {
            for (const std::string& registration : entries[i + kPrefetchAhead].regcodes)
                g_regcodeTitles.prefetch(g_regcodeTitles.hashOf(registration));
        }
        const RegcodeEntry& entry = entries[i];
        const std::string_view title = titles[i];
        if (title.empty())
            continue;
        for (const std::string& registration : entry.regcodes)
        {
            const auto [found, inserted] = g_regcodeTitles.try_emplace(registration, title);
            if (inserted)
                ++added;
            else if (found->second != title)
            {
                g_offlineRegcodeMessages.push_back(
                    fmt::format("   regcode {} for '{}', instead of the same for '{}'", registration, title,
                                found->second));
                found->second = title;
                ++replaced;
            }
            if (entry.special)
            {
                g_specialRegcodes.insert(registration);
                if (entry.regcodes.size() == 1)
                    g_uniqueRegcodes.insert(registration);
            }
        }
        if (entry.special)
        {
            g_boundTitles.push_back(title);
            g_boundTitleSet.insert(title);
            ++special;
        }
    }
    std::string summary = fmt::format("{} new regcode{} added", added, gf_plural64(added));
    if (replaced != 0)
        summary += fmt::format(", {} regcode{} replaced", replaced, gf_plural64(replaced));
    if (special != 0)
        summary += fmt::format(", {} regcode{} defined as special", special, gf_plural64(special));
    g_offlineRegcodeMessages.push_back(std::move(summary));
}

void lf_reserveRegcodeTitles()
{
    g_regcodeTitles.reserve(kRegcodes);
}

void lf_reserveBoundTitles()
{
    g_boundTitles.reserve(kBoundTitles);
    g_boundTitleSet.reserve(kBoundTitles);
}

void lf_clearRegcodeTables()
{
    g_specialRegcodes.clear();
    g_uniqueRegcodes.clear();
    g_boundTitles.clear();
    g_boundTitleSet.clear();
    g_regcodeTitles.clear();
    g_titleRegistrations.clear();
    g_offlineRegcodeMessages.clear();
}

} // namespace ovr
