// The existence test of the start-up's clearing up and the shell helpers.
#pragma once

#include <filesystem>

namespace ovr
{

// Whether the path exists; a status query that fails for another reason than
// "not found" throws std::filesystem::filesystem_error "exists".
bool gf_pathExists(const std::filesystem::path& path);

} // namespace ovr
