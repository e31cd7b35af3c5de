// The park airport: the one airport whose stands are in the stand list and
// are given to parked and landing aircraft, with the user's reserved stand
// there. The parking logic of the traffic chooses and clears it on the main
// loop; the airport-file reader records its altitude; the readers and the
// simulator link read it under g_parkAirportsMutex.
#pragma once

#include <mutex>
#include <string>

#include "airports/airport.h"

namespace ovr
{

// The current park airport; its code is empty when there is none.
extern Airport g_parkAirport;
// The user's reserved stand at the park airport, empty when none.
extern std::string g_reservedStand;

// Guards g_parkAirport, g_reservedStand and the traffic's list of park
// airports where another thread than the main loop's reads or changes them.
extern std::mutex g_parkAirportsMutex;

} // namespace ovr
