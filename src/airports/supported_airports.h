// The airports that the live-traffic service supports (input/ICAO_airports.txt),
// filled by the airport scan (scanners) at its start and cleared at its end;
// the search for an airport code in a text tests its tokens against it.
#pragma once

#include <unordered_set>

#include "core/fixed_code.h"

namespace ovr
{

extern std::unordered_set<IcaoCode> g_supportedAirports;

} // namespace ovr
