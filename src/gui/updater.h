// The check for a new program version and new data components, made once per
// process on the start-up thread before the data files are read.
//
// The update service (VORA_DOWNLOAD_BASE) publishes versions.json: for the
// program ("msfs") and each data component ("airports", "aig", "liveries",
// "addons", "dbase") the newest major.minor.patch. A newer program is
// unpacked into new_version and the program stops with "NEW VERSION"; a newer
// component file is downloaded beside the installed one and replaces it once
// it decrypts and reads, and a newer scan version switches the scan on for
// this start. Every download has a size cap and a deadline, so a slow or
// wrong server delays the start by a bounded time.
#pragma once

#include <filesystem>
#include <string>

namespace ovr
{

// False after a new program version was unpacked (the exit reason is then
// "NEW VERSION"); true otherwise, also when the service cannot be reached or
// its versions.json cannot be read, and when a new version could not be
// unpacked or its installer cannot run here (said in the log and on the
// status line). A data file replaces the installed one only when it reads.
// File-system failures throw std::filesystem::filesystem_error.
bool gf_checkForUpdates();

// What README.txt in new_version tells the user: to run the installer as
// Administrator when the program folder lies under a Program Files folder, is
// not writable and the process is not elevated; else that it runs normally.
std::string gf_newVersionNotice(const std::filesystem::path& programFolder);

} // namespace ovr
