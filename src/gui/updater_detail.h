// What the updater's tests replace.
#pragma once

#include <atomic>

namespace ovr::detail
{

// Whether this system can run the installer of a new version (a Windows
// program). Without it a new version is announced and the start goes on.
extern std::atomic<bool> g_installerRuns;

} // namespace ovr::detail
