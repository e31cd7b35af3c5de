// One live aircraft as the service reported it: the only form in which the
// traffic logic ever sees a received aircraft.
#pragma once

#include "core/flight_base.h"

#include <cstdint>
#include <optional>

namespace ovr
{

// One position of a live aircraft; the traffic logic keeps a queue of these
// per aircraft, copied whole from the received record.
struct PositionSample
{
    double latitude = 0.0;     // degrees
    double longitude = 0.0;    // degrees
    double altitude = 0.0;     // feet above sea level after the QNH correction; exactly 0 = on the ground
    double groundSpeed = 0.0;  // knots
    double track = 0.0;        // degrees
    double verticalRate = 0.0; // feet per minute
    double trueAirspeed = 0.0; // knots
    // When the simulator is to show this position: hundredths of a second on
    // g_clock (set by the hand-over, 0 from the decoder).
    std::int64_t playMoment = 0;
    std::uint8_t airborne = 0; // 1 when the altitude is above 0
    // Standing still on the ground: 0 from the decoder; the traffic logic
    // sets it. A ground sample that is neither airborne nor stationary rolls.
    std::uint8_t onGround = 0;
    std::uint8_t headingKnown = 0; // 1 when a true heading was decoded
    std::uint8_t rollKnown = 0;    // 1 when roll holds the service's roll
    double roll = 0.0;             // radians, copied from the record's bank
    double trueHeading = 0.0;      // radians, copied from the record's heading
    // The record's data time (epoch seconds), which no retiming touches: 0 on
    // a position the motion made up.
    double feedTime = 0.0;
};

struct TrafficRecord : FlightBase
{
    PositionSample sample;
    std::optional<double> bank;        // radians, the service's roll with its sign reversed
    std::optional<double> trueHeading; // radians
    double dataTime = 0.0;             // epoch seconds of this position
    std::uint32_t hexId = 0;           // transponder address, above 10000; the aircraft's key
};

} // namespace ovr
