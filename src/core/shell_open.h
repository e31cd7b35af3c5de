// Showing a file or folder to the user in the system's file manager.
#pragma once

#include <filesystem>

namespace ovr
{

// Opens the folder that holds `path` (not the file itself). False when the
// path does not exist, has no parent folder or the shell refused; a failing
// existence query throws std::filesystem::filesystem_error.
bool gf_openWithShell(const std::filesystem::path& path);

} // namespace ovr
