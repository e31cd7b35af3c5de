// The user's list of park airports in airports/my_park_airports.txt, one
// line per entry: the ICAO code, then ",<stand>" when a reserved stand is
// set. The simulator link records the user's stand through it.
#pragma once

#include <string>

namespace ovr
{

// Empties g_parkAirports and reads the file, then adds the airports of
// airports/my_thirdparty; false when a line was skipped as wrong, an
// airport is unknown or the reading failed.
bool lf_readMyParkAirports();

// Writes the first entry of g_parkAirports into the file: the line of its
// code is replaced, else the line is added; the file stays sorted without
// doubles. A missing file is created; one that exists but cannot be read is
// left alone.
void gf_addParkAirport();

// The user stands still at `standName` of a stand list (the simulator link's
// gf_checkUserStand found it): when the first park-airport entry is the park
// airport and its reserved stand is another one, the stand becomes the
// entry's reserved stand and the entry is written into the file.
void gf_recordUserStand(const std::string& standName);

} // namespace ovr
