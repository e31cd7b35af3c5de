// One entry of the airport list: the airports the program knows, with their
// codes, position and elevation.
#pragma once

#include <cstdint>

#include "core/fixed_code.h"

namespace ovr
{

struct Airport
{
    IcaoCode icao;  // empty (first byte 0) for "no airport"
    IataCode code3; // "XXX" when the list gives none
    double latitude = 0.0;
    double longitude = 0.0;
    float elevation = 0.0f; // feet
    std::int32_t stands = 0;
};

} // namespace ovr
