// The folder of the AI aircraft's flight-plan files, orig_dest under the
// program's AppData folder: made at every start-up, removed at closing down.
#pragma once

#include <filesystem>

namespace ovr
{

extern const std::filesystem::path g_flightPlanFolder;

// Creates the folder; failures are logged.
void gf_createFlightPlanFolder();

} // namespace ovr
