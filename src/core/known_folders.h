// The Windows known folders that hold the program's data.
#pragma once

#include "platform/shell/shell32.h"

#include <filesystem>
#include <optional>
#include <string>

namespace ovr
{

// The folder's path as the system gives it, or none.
std::optional<std::wstring> gf_knownFolderPath(REFKNOWNFOLDERID id);

// The roaming and the local AppData folder; empty (with a logged warning,
// unless logMissing is false) when the system has none. Paths built at static
// initialisation pass false: nothing is logged before the log is open.
std::filesystem::path gf_appDataPath(bool logMissing = true);
std::filesystem::path gf_localAppDataPath();

} // namespace ovr
