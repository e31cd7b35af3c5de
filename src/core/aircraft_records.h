// The records of the aircraft that the program puts into the simulator:
// `AiAircraftRecord` (what the aircraft is and how it moves) and `StaticAc`
// (one that exists as a simulator object on a stand). The fields that the
// stand searches and the stand learning (airports) read are here; the motion
// model of the traffic adds its own.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/flight_base.h"

namespace ovr
{

struct AiAircraftRecord : FlightBase
{
    double radius = 0.0;         // half the wingspan, nautical miles
    double staticCgHeight = 0.0; // feet, 0 until the simulator reports it
    double staticPitch = 0.0;    // radians, 0 until reported
    double rotationPitch = 0.0;
    double climbOutPitch = 0.0;
    double baseTurnStep = 0.0;
    double turnStep = 0.0;
    double maxAltitudeChangePerTick = 0.0;
    double standSpeed = 0.0;
    // A live aircraft's transponder id (above 10000), a static aircraft's
    // small index (10000 or below).
    std::uint32_t aiKey = 0;
    std::uint32_t category = 0; // 0 light .. 5 rotorcraft
    std::string_view liveryTitle;
    std::uint32_t flareTicks = 0;
    std::uint32_t noseLoweringTicks = 0;
    std::uint32_t rotationTicks = 0;
    std::uint32_t pitchUpTicks = 0;
    std::uint8_t reverseThrust = 0;
};

// Simulator states of a placed aircraft.
inline constexpr std::uint32_t kSimStateBuffer = 0;
inline constexpr std::uint32_t kSimStateAdding = 1;
inline constexpr std::uint32_t kSimStateActive = 2;
inline constexpr std::uint32_t kSimStateLiveryRespawn = 3;
inline constexpr std::uint32_t kSimStateRemoving = 4;

struct StaticAc : AiAircraftRecord
{
    std::uint32_t objectId = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    double heading = 0.0; // radians
    // The packed weekday and slot at which it was put on its stand.
    std::uint64_t parkedSince = 0;
    // Where its candidate came from: 0 the service's parked-traffic report,
    // 1 the learned options of its stand.
    std::uint32_t origin = 0;
    // The transponder id of the parked-traffic report it came from (0 for
    // one from the learned options); the live aircraft with that id replaces it.
    std::uint32_t identity = 0;
    std::uint32_t standId = 0;
    std::uint32_t simState = kSimStateBuffer;
    std::uint32_t lastThrottleIndex = 5;
    std::uint32_t lastFlapsIndex = 4;
    std::uint8_t standFlagCopy = 0;
    std::uint8_t removeWhenCreated = 0;
    std::uint8_t erase = 0;
    std::uint8_t createCancelled = 0;
};

} // namespace ovr
