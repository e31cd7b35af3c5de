// Log internals that the tests reach: opening the log at a chosen path and
// closing it again, and the names of the backup generations.
#pragma once

#include <filesystem>
#include <optional>

namespace ovr::detail
{

// gf_openLog on another file than Log.txt in the working folder.
void openLogAt(const std::filesystem::path& file);
void closeLog();

// The name of backup generation `generation` (1 to 3): the file name with
// that many "0" before its last '.'; no value when the file name has no '.'.
std::optional<std::filesystem::path> backupGenerationName(const std::filesystem::path& file, int generation);

} // namespace ovr::detail
