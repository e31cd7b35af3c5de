#include "airports/supported_airports.h"

namespace ovr
{

// Filled by the airport scan's reader of input/ICAO_airports.txt.
std::unordered_set<IcaoCode> g_supportedAirports;

} // namespace ovr
