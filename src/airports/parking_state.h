// What the static-parking calculation keeps while it chooses aircraft for the
// stands of the park airport, and what the stand searches read of it. The
// traffic logic fills it; it lives here, below the traffic, because the stand
// searches read it. Main loop only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/aircraft_records.h"
#include "core/flight_key.h"
#include "core/fnv1a.h"

namespace ovr
{

// One aircraft chosen for a stand, consumed from the back of the vector.
struct ParkCandidate
{
    std::uint32_t identity = 0; // transponder id of a parked-traffic record
    std::uint32_t origin = 0;   // 0 parked traffic, 1 learned options
    std::int32_t standId = 0;
    std::uint32_t age = 0; // half hours since the aircraft arrived
    FlightKey key;
    std::string callsign;
    std::string callsign2;
    std::string registration;
    std::uint8_t stays = 0;
};

// One active parked live aircraft.
struct ParkedLive
{
    std::string callsign;
    std::uint64_t reserved = 0;
    std::uint32_t standId = 0;
    std::uint32_t minutesParked = 0;
};

extern std::vector<StaticAc> g_staticAircraft;
extern std::vector<ParkCandidate> g_parkCandidates;
extern std::vector<ParkedLive> g_parkedLive;
// Callsigns flying live in the collection window: no static aircraft gets one.
extern std::unordered_set<std::string, Fnv1aHash, std::equal_to<>> g_callsignsInUse;

// The fit window of the static-parking passes.
extern std::int32_t g_fitPassNumber;
extern std::int32_t g_currentFitStep;
extern std::uint8_t g_fitPassesRunning;

} // namespace ovr
