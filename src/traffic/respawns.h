// Keeping the simulator's picture consistent while received data change: the
// respawn check for each new record of a known aircraft (route, identity and
// callsign changes), the livery respawn itself, the ghost rules (a callsign
// ending in "_" names the same flight as the callsign without it), the
// removal of static parked aircraft that a live aircraft replaces or runs
// into, and the periodic check of the parked live aircraft. Main-loop thread
// only. Making way on a stand is in making_way.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "service/traffic_record.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// Ghost callsigns replaced by their real flight; never spawned again.
extern std::vector<std::string> g_liveCallsigns;

// How a record changes an aircraft's route.
enum class RouteChange
{
    unchanged,
    filled,  // a missing origin or destination was taken from the record
    changed, // the record flies another route
};

// True: take the record's sample. False: the record is refused, or the
// aircraft respawns with its new identity.
bool gf_checkRespawn(LiveAc& aircraft, const TrafficRecord& record);
// While the aircraft waits in buffer it simply takes what the record says.
void lf_takeRecordIdentity(LiveAc& aircraft, const TrafficRecord& record);
RouteChange lf_routeChanged(LiveAc& aircraft, const TrafficRecord& record);
// True when the record's registration makes it another aircraft (it then
// carries the new flight key); the registration is always taken.
bool lf_identityChanged(LiveAc& aircraft, const TrafficRecord& record);
bool lf_identityFromRegistration(LiveAc& aircraft, const TrafficRecord& record);
// Its livery is chosen again at its next spawn.
void lf_forgetLivery(LiveAc& aircraft);
// Removes the object; the simulator's removal report puts the aircraft back
// into buffer, from where it is created again.
void liveryRespawn(LiveAc& aircraft);

// The real flight `callsign` flies: its ghost (callsign + "_") goes and never
// comes back.
void lf_ghostReplaced(std::string_view callsign);
// A live aircraft flies under the ghost's callsign without "_" and is not
// being removed.
bool lf_realFlightExists(std::string_view ghostCallsign);
// Whether the live aircraft `callsign` may have the stand; an occupant that
// must give way is removed.
bool lf_standWanted(std::int32_t standId, std::string_view callsign);

// The removals of static parked aircraft that a live aircraft replaces are
// defined with these rules and declared where their callers look:
// lf_removeStaticsFor (live_aircraft.h), lf_removeStaticsReplacedByLive
// (park_airports.h), gf_clearStaticsOnTaxiPaths (live_lists.h).

// The first active static aircraft with another callsign that the taxiing
// aircraft would touch goes.
void lf_clearStaticsInPath(LiveAc& aircraft);

// Appends one record per active parked live aircraft to g_parkedLive (the
// caller empties it first), shortest parked first; an aircraft parked too
// long goes instead, unless INITIAL_LOAD_ONLY is on.
void gf_checkParkedLiveAc();

} // namespace ovr
