// What the aircraft.cfg readers of one liveries scan share: the titles
// already taken and the lists of what was rejected, each under its own
// mutex (no two are ever held together). Filled by the scan workers, written
// to output/errors and output/info at the end of the scan and then cleared.
#pragma once

#include <filesystem>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ovr
{

extern std::set<std::string> g_scanTitles;
extern std::mutex g_scanTitlesMutex;

extern std::list<std::string> g_invalidAirlineCodes;
extern std::list<std::string> g_invalidModelCodes;
extern std::vector<std::string> g_scanFixes;
extern std::list<std::string> g_invalidAircraftCfgFiles;
extern std::list<std::string> g_incompleteFltsimSections;
extern std::list<std::string> g_cfgFilesWithoutFltsim;

// Takes a title for a livery of this scan: true when nobody had it.
bool lf_takeTitle(const std::string& title);

// "{:12} in {} " with the code and the file, then the header line.
void lf_addInvalidAirline(std::string_view code, const std::filesystem::path& file, std::string_view header);
// "{:16} in {}" with the type code and the file.
void lf_addInvalidModel(std::string_view code, const std::filesystem::path& file);
void lf_addFix(std::string line);
void lf_addInvalidCfgFile(std::string line);
void lf_addIncompleteSection(std::string line);
void lf_addCfgWithoutFltsim(const std::filesystem::path& file);

// Empties the six lists, the titles taken and the titles not to use.
void lf_clearScanLists();

// The narrow text of a path as the lists name it.
std::string lf_narrow(const std::filesystem::path& path);

} // namespace ovr
