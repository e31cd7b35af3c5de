// The nearest stand of an airport, read straight from its parking file,
// without touching the park airport's stand list. The closest-airport search
// uses it to prefer a neighbouring airport whose stand is nearer.
#pragma once

#include <string>

#include "core/fixed_code.h"

namespace ovr
{

// Distance in nautical miles from the position to the nearest stand of the
// airport's file, with that stand's name; 100.0 when there is no file or no
// stand.
double gf_readDestApfForClosestStand(const IcaoCode& icao, double latitude, double longitude,
                                     std::string& standName);

} // namespace ovr
