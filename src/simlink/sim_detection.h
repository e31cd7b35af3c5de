// Where the configured simulator keeps its packages: the folder that holds
// the "Community" folder and the simulator's own packages, found where a
// Steam installation has it or through the simulator's UserCfg.opt, and
// stored in the settings. File-system work only; the simulator need not run.
#pragma once

#include <filesystem>

namespace ovr
{

// Finds the packages folder of the configured simulator and stores it in
// MSFS_INSTALL_PATH (MSFS 2020) or MSFS_2024_INSTALL_PATH (MSFS 2024) and in
// the packages-folder edit box. False, with nothing changed, when none was
// found. A file-system error other than "not found" is thrown, except for
// the folder that UserCfg.opt names: one that cannot be looked for counts as
// not there.
bool gf_findMsfsPackagesPath();

// "Microsoft.FlightSimulator_8wekyb3d8bbwe" or "Microsoft.Limitless_8wekyb3d8bbwe".
std::filesystem::path gf_msfsPackageFamily();
// "Microsoft Flight Simulator" or "Microsoft Flight Simulator 2024".
std::filesystem::path gf_msfsFolderName();

} // namespace ovr
