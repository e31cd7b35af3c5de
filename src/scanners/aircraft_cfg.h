// Reading the aircraft.cfg files of AI-traffic packages into liveries: the
// per-file readers that the scan workers run (ordinary packages and the IVAO
// layout), the checks of the [fltsim.N] sections and the processing of one
// section into at most one livery. What cannot be used is recorded in the
// scan lists (scanners/scan_lists.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "liveries/livery_data.h"

namespace ovr
{

// The most lines and section lines reserved up front.
inline constexpr std::size_t kCfgLinesReserved = 4096;
inline constexpr std::size_t kSectionLinesReserved = 48;
// Section numbers accepted, both included.
inline constexpr long long kMaxFltsimNumber = 10000;

// The liveries of one ordinary aircraft.cfg, in the order of its sections.
// Decrements g_runningScanTasks once on every way out. A failure is logged
// with the file and thrown on.
std::list<LiveryData> lf_searchLiveriesinFile(std::uint32_t folderNumber, const std::filesystem::path& file);
// The same for a file of an IVAO package.
std::list<LiveryData> lf_searchLiveriesinIVAOFile(std::uint32_t folderNumber, const std::filesystem::path& file);

// False when the file must not be used (a header number that cannot be read
// or lies outside 0..10000); a file without header is listed and true.
bool lf_checkFltsimSections(const std::vector<std::string>& lines, const std::filesystem::path& file);

// The ICAO type all liveries of the file share, or the empty text.
std::string lf_modelOfFile(const std::filesystem::path& file, const std::vector<std::string>& lines);
std::string lf_modelFromBaseContainer(const std::filesystem::path& file, const std::vector<std::string>& lines);
// A known type stays; a type the model database fixes becomes the fix (with a
// line in the fix list); any other is listed as invalid and gives empty.
std::string lf_typeCodeRule(const std::string& code, const std::filesystem::path& file);

std::list<LiveryData> lf_splitFltsimSections(std::uint32_t folderNumber, const std::vector<std::string>& lines,
                                             const std::string& model, const std::filesystem::path& file,
                                             const std::filesystem::path& folder);

// One [fltsim.N] section (first line its header) into no livery or one. The
// section may be shortened (trailing empty and comment lines go).
std::list<LiveryData> lf_procesFltSimSection(std::uint32_t folderNumber, std::vector<std::string>& section,
                                             const std::string& model, const std::filesystem::path& file,
                                             const std::filesystem::path& folder);

// The IVAO model folder's type (first 4 characters of the name after
// "IVAO_", through the type-code rule), or the empty text.
std::string lf_ivaoModelFromPath(const std::filesystem::path& file);
std::list<LiveryData> lf_splitIVAOSections(std::uint32_t folderNumber, const std::vector<std::string>& lines,
                                           const std::string& model, const std::filesystem::path& file,
                                           const std::filesystem::path& folder);
LiveryData lf_procesIVAOFltSimSection(std::uint32_t folderNumber, std::vector<std::string>& section,
                                      const std::string& model, const std::filesystem::path& file,
                                      const std::filesystem::path& folder);

// A livery for an IVAO section: empty (all zero) when its title was taken.
LiveryData lf_makeLivery(std::uint32_t folderNumber, const FlightKey& key, const std::string& title,
                         const std::string& registration);

// What Windows opens for a folder name: trailing dots and blanks of the last
// component dropped, the last component found in any letter case. The path
// as given when nothing matches.
std::filesystem::path lf_windowsFolder(const std::filesystem::path& path);

} // namespace ovr
