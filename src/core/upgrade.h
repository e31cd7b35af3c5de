// Clearing up after an earlier version of the program, the first step of
// every start-up.
#pragma once

namespace ovr
{

// Reads the parameters file. A new installation (no usable file) switches
// both scans on for its first session; otherwise lf_copyOldVersionFiles.
void lf_convertOldParameters();

// Stamps the running version into PROGRAM_VERSION and removes what an older
// version left behind: the temporary plain data files, the downloaded
// new_version folder and, for versions before 12.0.0, the encrypted data
// files (the update check fetches them again). A stored version that cannot
// be read removes no data file and no folder. Throws
// std::filesystem::filesystem_error ("exists", "remove", "remove_all").
void lf_copyOldVersionFiles();

} // namespace ovr
