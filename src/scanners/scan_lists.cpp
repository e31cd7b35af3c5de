#include "scanners/scan_lists.h"

#include <stdexcept>

#include <fmt/format.h>

#include "liveries/dont_use_titles.h"

namespace ovr
{

std::set<std::string> g_scanTitles;
std::mutex g_scanTitlesMutex;

std::list<std::string> g_invalidAirlineCodes;
std::list<std::string> g_invalidModelCodes;
std::vector<std::string> g_scanFixes;
std::list<std::string> g_invalidAircraftCfgFiles;
std::list<std::string> g_incompleteFltsimSections;
std::list<std::string> g_cfgFilesWithoutFltsim;

namespace
{

std::mutex g_invalidAirlineMutex;
std::mutex g_invalidModelMutex;
std::mutex g_fixesMutex;
std::mutex g_invalidCfgMutex;
std::mutex g_incompleteMutex;
std::mutex g_withoutFltsimMutex;

template <class List> void lf_append(List& list, std::mutex& mutex, std::string line)
{
    std::lock_guard lock(mutex);
    if (list.size() >= list.max_size())
        throw std::length_error("list too long");
    list.push_back(std::move(line));
}

} // namespace

std::string lf_narrow(const std::filesystem::path& path)
{
    return path.string();
}

bool lf_takeTitle(const std::string& title)
{
    std::lock_guard lock(g_scanTitlesMutex);
    return g_scanTitles.insert(title).second;
}

void lf_addInvalidAirline(std::string_view code, const std::filesystem::path& file, std::string_view header)
{
    std::string line = fmt::format("{:12} in {} ", code, lf_narrow(file));
    line += header;
    lf_append(g_invalidAirlineCodes, g_invalidAirlineMutex, std::move(line));
}

void lf_addInvalidModel(std::string_view code, const std::filesystem::path& file)
{
    lf_append(g_invalidModelCodes, g_invalidModelMutex, fmt::format("{:16} in {}", code, lf_narrow(file)));
}

void lf_addFix(std::string line)
{
    lf_append(g_scanFixes, g_fixesMutex, std::move(line));
}

void lf_addInvalidCfgFile(std::string line)
{
    lf_append(g_invalidAircraftCfgFiles, g_invalidCfgMutex, std::move(line));
}

void lf_addIncompleteSection(std::string line)
{
    lf_append(g_incompleteFltsimSections, g_incompleteMutex, std::move(line));
}

void lf_addCfgWithoutFltsim(const std::filesystem::path& file)
{
    lf_append(g_cfgFilesWithoutFltsim, g_withoutFltsimMutex, lf_narrow(file));
}

void lf_clearScanLists()
{
    {
        std::lock_guard lock(g_invalidAirlineMutex);
        g_invalidAirlineCodes.clear();
    }
    {
        std::lock_guard lock(g_invalidModelMutex);
        g_invalidModelCodes.clear();
    }
    {
        std::lock_guard lock(g_fixesMutex);
        g_scanFixes.clear();
    }
    {
        std::lock_guard lock(g_invalidCfgMutex);
        g_invalidAircraftCfgFiles.clear();
    }
    {
        std::lock_guard lock(g_incompleteMutex);
        g_incompleteFltsimSections.clear();
    }
    {
        std::lock_guard lock(g_withoutFltsimMutex);
        g_cfgFilesWithoutFltsim.clear();
    }
    {
        std::lock_guard lock(g_scanTitlesMutex);
        g_scanTitles.clear();
    }
    g_dontUseTitles.clear();
}

} // namespace ovr
