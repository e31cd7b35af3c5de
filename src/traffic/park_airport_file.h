// The user's list of park airports in airports/my_park_airports.txt, one
// line per entry: the ICAO code, then ",<stand>" when a reserved stand is
// set. The simulator link records the user's stand through it.
#pragma once

#include <string>

namespace ovr
{

// Appends the first entry of g_parkAirports as a new line, creating the file
// when it is missing.
void gf_addParkAirport();

// The user stands still at `standName` of a stand list (the simulator link's
// gf_checkUserStand found it): when the first park-airport entry is the park
// airport and its reserved stand is another one, the stand becomes the
// entry's reserved stand and the entry is appended to the file.
void gf_recordUserStand(const std::string& standName);

} // namespace ovr
