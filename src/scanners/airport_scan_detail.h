// The steps of the airport scan's driver, for its tests.
#pragma once

#include <filesystem>
#include <vector>

namespace ovr
{

// Fills the supported-airport set from input/ICAO_airports.txt; throws
// UserErrorException 522 when the file is missing and the code error for
// a piece that is no code.
void lf_readIcaoAirports();

// Empties the two generated-file folders, scans, warns when nothing was
// found and switches SCAN_AIRPORTS off.
void lf_runAirportsScan(const std::vector<std::filesystem::path>& folders);

// The scan with its report and tblo handling; true when
// airports/my_thirdparty holds an entry afterwards.
bool lf_airportsScan(const std::vector<std::filesystem::path>& folders);

// Hands each folder to its walk.
void lf_scanFolders(const std::vector<std::filesystem::path>& folders);

} // namespace ovr
