// The two walks of the airport scan: an add-on folder (Official, Community),
// walked down for scenery files with airport sections, and the MSFS 2024
// StreamedPackages folder, whose package folders name their airports.
#pragma once

#include <filesystem>

namespace ovr
{

// Never throws for the walk itself: a scenery file that fails is reported
// and skipped; any other error ends the walk of this folder with a report
// line.
void lf_scanBglFolder(const std::filesystem::path& folder);

// Throws the errors of listing the folder; an entry whose status cannot be
// read and a failed facility read of one package are reported and the walk
// goes on.
void lf_scanStreamedAirports(const std::filesystem::path& folder);

// Whether a scenery file's path is one of the kinds never read (statics,
// heliport packs, lights and the like); case-sensitive.
bool lf_isFilteredSceneryFile(const std::string& pathText);

// Whether a streamed package is no airport (jetways, libraries, aircraft
// and the like); case-sensitive.
bool lf_isSkippedStreamedPackage(const std::string& pathText);

} // namespace ovr
