// The aircraft-type filter of the live traffic: ground vehicles, gliders,
// balloons and other objects that are not aircraft never reach the
// simulator.
#pragma once

#include <string_view>

namespace ovr
{

// False for an empty or "null" type, a refused ADS-B emitter category (B1,
// B2, B4, C1, C2) or a type that cannot be an aircraft.
bool gf_acceptType(std::string_view type, std::string_view emitterCategory);

// True when the type is longer than 4 characters or a pseudo type ("GRND",
// "TWR", "BALL", ...).
bool gf_isNotAircraftType(std::string_view type);

} // namespace ovr
