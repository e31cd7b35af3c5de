// The user's list of park airports in airports/my_park_airports.txt, one
// line per entry: the ICAO code, then ",<stand>" when a reserved stand is
// set. The simulator link records the user's stand through it.
#pragma once

#include <mutex>

namespace ovr
{

// Guards g_parkAirports and g_parkAirport where another thread than the main
// loop's reads or changes them (the SimClient thread's stand check).
extern std::mutex g_parkAirportsMutex;

// Appends the first entry of g_parkAirports as a new line, creating the file
// when it is missing.
void gf_addParkAirport();

} // namespace ovr
