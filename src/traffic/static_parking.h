// The static parked aircraft of the park airport: how many stands to fill,
// with which aircraft (the service's parked-traffic report first, then the
// learned options of the stands in widening fit windows), and the placing of
// one chosen aircraft per creation slot. The 20-minute adjustment reuses the
// pieces declared here. Main loop only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "airports/parking_state.h"
#include "core/flight_key.h"
#include "service/parked_traffic.h"
#include "service/parked_traffic_record.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// A static aircraft kept through an adjustment.
struct ParkPosition
{
    std::string callsign;
    std::string secondCallsign;
    std::string text;
    std::string registration;
    FlightKey key;
    std::uint32_t weekday = 0; // of its arrival, 1..7
    std::uint32_t slot = 0;    // of its arrival, 0..47
    std::uint32_t age = 0;     // half hours since its arrival
    std::uint32_t standId = 0;
    std::uint8_t replace = 0;
};

// A static aircraft to take out of the simulator at the end of an
// adjustment.
struct StaticRemoval
{
    std::string callsign;
    std::uint32_t standId = 0;
};

extern std::vector<StaticRemoval> g_staticRemovals;
extern std::vector<ParkPosition> g_keptPositions;
// Transponder ids flying live in the collection window (their callsigns are
// g_callsignsInUse): no static aircraft is made of them.
extern std::unordered_set<std::uint32_t> g_liveIdsInUse;
// The key of the static aircraft built last, 1..9999.
extern std::uint32_t g_staticRunningNumber;

// The next free static key: the running number advances through 1..9999,
// never 0 (no object to the simulator link) and never a key that a static
// aircraft still holds; 0 only when all 9999 are held.
std::uint32_t gf_nextStaticKey();

// The packed weekday and slot of an arrival `age` half hours before `now`,
// counted back through the week.
std::uint64_t gf_arrivalOf(std::uint64_t now, std::uint32_t age);
// Where an arrival stands in the week: (weekday - 1) x 48 + slot.
std::uint32_t gf_arrivalIndex(std::uint64_t arrival);
// Half hours that a static aircraft has stood on its stand at `now` (packed
// weekday and slot), counted back through the week: 0..335.
std::uint32_t gf_staticAge(const StaticAc& aircraft, std::uint64_t now);

// Logs the day line; returns the packed weekday and slot of now.
std::uint64_t lf_logDay();
// The collected live identities become g_callsignsInUse and g_liveIdsInUse;
// the collection ends.
void lf_takeLiveIdentities();
// Clears the choice marks of every stand; marks the reserved stand and the
// stand under the user aircraft.
void lf_markReservedStands();
// The parked record is that live aircraft.
bool lf_sameAircraft(const ParkedTrafficRecord& record, const LiveAc& live);
// Candidates from g_trafficReader.parkedRecords.
void lf_pickParkedTraffic();
class StandSearch;

// The fit passes over the learned options until `wanted` stands are chosen,
// with `already` of them taken by aircraft that are not candidates.
void lf_fitPasses(std::uint64_t weekdayHour, std::int32_t wanted, std::int32_t already);
void lf_fitPass(StandSearch& search, std::uint64_t weekdayHour, std::int32_t wanted, std::int32_t already, bool real,
                bool day);
bool lf_fillByFit(StandSearch& search, std::uint64_t weekdayHour, bool real, bool day, std::int32_t wanted,
                  std::vector<ParkCandidate>& out);
// Places the last static parking candidate on its stand.
void lf_checkStaticStand();
// Shuffles the batch and drops `count` of it.
void lf_trimRandom(std::size_t count, std::vector<ParkCandidate>& batch);

// The answer of a parked-traffic request, taken without waiting. A refusal
// (400, 403) is logged and counts as no records.
ParkedTake gf_collectParkedTraffic(std::uint64_t sequence);
// The calculation's request, armed when the calculation becomes pending;
// false when none is asked (MAX_PARK_SEL 0, or the account has none).
bool gf_armCalcParkedTraffic();
// Whether the pending calculation may run: its request was answered, has
// failed, or none was asked.
bool gf_calcParkedTrafficReady();

} // namespace ovr
