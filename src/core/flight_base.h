// The head of every aircraft record: its identity, route, callsign and
// registration.
#pragma once

#include <cstdint>
#include <string>

#include "core/fixed_code.h"
#include "core/flight_key.h"

namespace ovr
{

struct FlightBase
{
    FlightKey key;
    FixedCode<3> origin;      // empty when unknown
    FixedCode<3> destination; // empty when unknown
    // 0 until a landed live aircraft has taken over the names of a learned
    // stand option once.
    std::uint16_t identityTaken = 0;
    std::string callsign;
    std::string secondCallsign;
    std::string text;
    std::string registration;
};

} // namespace ovr
