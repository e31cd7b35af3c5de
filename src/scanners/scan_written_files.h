// The airport scan rewrites airports/my_simaddon and airports/my_thirdparty
// at every run, but a user may keep an airport file of his own there. Each
// folder's list of the files the scan wrote lies beside it: a new scan
// removes only those, and a file of the user's stays where it is until the
// scan writes a file for the same airport, which moves it to the folder's
// backup with a log line.
#pragma once

#include <filesystem>
#include <string>

namespace ovr
{

// Before the scan writes this file (link or airport file): a file for the
// same airport in that folder that the scan did not write goes to
// "<folder>_backup", so the user's file is neither replaced nor hidden
// behind the new one. When this scan already wrote a file for the airport
// from another package, both packages are reported and the earlier file is
// removed: the later package in the scan's order is kept, as the simulator
// lets a later package override an earlier one.
void gf_makeRoomForScanFile(const std::filesystem::path& file, const std::string& source);

// Records a file the scan has just written from the source (the scenery
// file's or package's path text).
void gf_noteScanWritten(const std::filesystem::path& file, const std::string& source);

// Removes the files of the folder's list and starts the list anew; every
// other file stays. Called for both folders at the start of a scan.
void gf_clearScanWritten(const std::filesystem::path& folder);

} // namespace ovr
