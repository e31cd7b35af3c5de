// The flight-plan files of live aircraft whose origin and destination are
// known: one AceXML file per simulator object, "<object id>.pln", in the
// folder orig_dest under the program's AppData folder, made at every
// start-up and removed with its contents at closing down.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/aircraft_records.h"

namespace ovr
{

extern const std::filesystem::path g_flightPlanFolder;

// Creates the folder; false (logged) when it could not be made.
bool gf_createFlightPlanFolder();
std::filesystem::path lf_flightPlanPath(std::uint32_t objectId);
// Writes the file whole through a temporary file; true only when every
// byte reached it.
bool lf_writeFlightPlan(const std::filesystem::path& path, const AiAircraftRecord& aircraft);
// Removes the file of the object; a failure is logged.
void gf_removeFlightPlan(std::uint32_t objectId);

} // namespace ovr
