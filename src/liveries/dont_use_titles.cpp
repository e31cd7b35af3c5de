#include "liveries/dont_use_titles.h"

#include <fmt/format.h>

#include "core/files.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "liveries/regcode_lists.h"

namespace ovr
{

std::vector<std::string> g_dontUseTitles;

namespace
{

constexpr std::size_t kAigEntries = 7000;
constexpr std::size_t kMyEntries = 1000;

std::int64_t lf_appendTitlesWithoutRegcodes(const std::vector<RegcodeEntry>& entries)
{
    std::int64_t added = 0;
    for (const RegcodeEntry& entry : entries)
    {
        if (!entry.regcodes.empty())
            continue;
        g_dontUseTitles.push_back(entry.title);
        ++added;
    }
    return added;
}

void lf_readDontUseTitlesAig(std::string& text)
{
    std::vector<RegcodeEntry> entries;
    entries.reserve(kAigEntries);
    lf_readAigRegcodes(text, entries);
    const std::int64_t added = lf_appendTitlesWithoutRegcodes(entries);
    gf_log(fmt::format("{:5} don't use title{} read", added, gf_plural64(added)));
}

void lf_readDontUseTitlesMy()
{
    std::vector<RegcodeEntry> entries;
    entries.reserve(kMyEntries);
    lf_readRegcodeFiles(g_myRegcodesPath, entries);
    const std::int64_t added = lf_appendTitlesWithoutRegcodes(entries);
    gf_log(fmt::format("{:5} don't use title{} read from files in {}", added, gf_plural64(added),
                       g_myRegcodesPath.string()));
}

} // namespace

void lf_readDontUseTitles()
{
    try
    {
        g_dontUseTitles.clear();
        if (std::string aig; lf_decryptAigRegcodes(aig))
            lf_readDontUseTitlesAig(aig);
        if (gf_countFolderEntries(g_myRegcodesPath) > 0)
            lf_readDontUseTitlesMy();
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("exception: {}", e.what()));
    }
}

} // namespace ovr
