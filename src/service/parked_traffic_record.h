// One parked aircraft as the service reported it at a stand of the park
// airport.
#pragma once

#include "core/flight_base.h"

#include <cstdint>
#include <string>

namespace ovr
{

// Of its FlightBase only the key, the callsign and the registration are set.
struct ParkedTrafficRecord : FlightBase
{
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    std::uint32_t hexId = 0; // transponder address
    // The half-hour slot 0..47 of the UTC day in which the service saw it (-1
    // when its time cannot be converted); the parked-traffic request turns
    // it into the number of half hours since then.
    std::int32_t slot = -1;
    std::string standName;
};

} // namespace ovr
