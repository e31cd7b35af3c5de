// The configured simulator's packages folder (the one that holds the
// Community folder).
#pragma once

#include <filesystem>

namespace ovr
{

// The packages folder of the selected simulator (MSFS_INSTALL_PATH for MSFS
// 2020, MSFS_2024_INSTALL_PATH for MSFS 2024) joined with `relative`;
// `relative` alone while that setting is empty.
std::filesystem::path gf_simDataPath(const std::filesystem::path& relative);

} // namespace ovr
