// The liveries scan: the choice of package folders, the walk of each folder
// with one worker per aircraft.cfg file, and the outputs (LiveriesScanned.xml
// and the lists under output/errors and output/info). gf_scanLiveries
// (scanners/package_scans.h) drives it on the start-up thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <vector>

#include "liveries/livery_data.h"

namespace ovr
{

// The user errors of the scan.
inline constexpr std::int32_t kNoPackagesError = 43;
inline constexpr std::int32_t kNoLfoldersError = 48;
inline constexpr std::int32_t kNoManualLiveriesError = 53;
inline constexpr std::int32_t kNoAutomaticLiveriesError = 143;
inline constexpr std::int32_t kMissingLfolderError = 243;

// Folders whose full path holds one of these are not entered.
inline constexpr std::size_t kMaxWalkPathBytes = 250;
// The highest folder number; every later folder shares it.
inline constexpr std::uint32_t kMaxFolderNumber = 10;

// Appends the package folders found in the Community folder, in the order
// AI_PACKAGE_SELECTOR names them, then the user-aitraffic folder. Throws
// std::runtime_error "AI_PACKAGE_SELECTOR not set" for a text that is not
// one of its choices.
void lf_findAIPackagesAutomatically(const std::filesystem::path& community,
                                    std::vector<std::filesystem::path>& folders);
void lf_findAigFolder(const std::filesystem::path& community, std::vector<std::filesystem::path>& folders);
void lf_findFsltlFolder(const std::filesystem::path& community, std::vector<std::filesystem::path>& folders);
void lf_findJfFolder(const std::filesystem::path& community, std::vector<std::filesystem::path>& folders);
void lf_findIvaoMtlFolder(const std::filesystem::path& community, std::vector<std::filesystem::path>& folders);
void lf_findUserAiTrafficFolder(const std::filesystem::path& community, std::vector<std::filesystem::path>& folders);
// Appends the non-empty lfolder parameters in key order; throws user error
// 243 for one that does not exist.
void lf_checkLfolders(std::vector<std::filesystem::path>& folders);

// Scans the folders in order: true when liveries were found and written or
// the scan was stopped, false when none were found.
bool lf_scanLiveryFolders(std::vector<std::filesystem::path>& folders);
// Appends the liveries of one folder to g_liveries, in walk order.
void lf_scanFolder4Liveries(std::uint32_t folderNumber, const std::filesystem::path& folder);
// Keeps, for each airline, operator and type, only the liveries of the
// lowest-numbered folder that has it.
void lf_prioritizeLiveries();
// Removes a livery equal to the one before it (title, airline, operator,
// type, registration); the count removed.
std::size_t lf_removeDuplicateLiveries();

void lf_removeScanOutputs();
void lf_writeLiveriesScanned();
void lf_writeScanErrors();
// False when the list of fixes could not be written.
bool lf_writeFixes();

namespace detail
{

// The per-file readers; tests put slow or failing ones in their place.
using LiveryReader = std::list<LiveryData> (*)(std::uint32_t, const std::filesystem::path&);
void setLiveryReaders(LiveryReader ordinary, LiveryReader ivao);

} // namespace detail

} // namespace ovr
