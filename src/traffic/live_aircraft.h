// The live aircraft in the simulator as the main loop's per-second step sees
// them, and the jobs on them that the main loop runs. Main loop only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include <string_view>

#include "core/aircraft_records.h"
#include "simlink/sim_queues.h"

namespace ovr
{

struct LiveAc : StaticAc
{
    std::uint8_t initialised = 0; // first-time initialisation done
};

extern std::vector<LiveAc> g_liveAircraft;
// Keys of live aircraft that wait for their first-time initialisation.
extern std::deque<std::uint32_t> g_pendingInit;
// Keys of aircraft whose creation failed.
extern std::unordered_set<std::uint32_t> g_createFailures;

// The live creation requests that wait for their 500 ms slot.
extern std::vector<CreateRequest> g_createQueueLive;
// Takes every request with that callsign out of the queue; true when one was.
bool gf_eraseQueuedCreate(std::vector<CreateRequest>& queue, std::string_view callsign);
// Removes the active live aircraft farthest from the user (beyond
// `distanceNm` plus a margin; any with a negative distance); true when none
// qualified.
bool gf_removeFarthestLiveAc(double distanceNm);

// One 10 ms pass of the traffic intake while a flight runs.
void lf_handleAddingStack();
// The simulator's events for the traffic logic.
void lf_onGroundSlots();
// Room in the traffic containers at session start.
void gf_reserveTrafficContainers();
// The traffic state back to its start before a restart.
void gf_clearTrafficState();
// Removes one aircraft from the simulator.
void removeAircraftFromSim(LiveAc& aircraft);
// The static parked aircraft that conflict with a live aircraft go.
void lf_removeStaticsFor(const LiveAc& aircraft);
// output/info/ObjectIdList.txt, one line per live aircraft.
void lf_writeLiveAcFile();
// The choice list of CALLSIGN_2_OBJECTID from the live callsigns.
void gf_updateLiveCallsignList();
// Empties the list of live callsigns (closing down).
void gf_clearLiveCallsignList();
// The blocked-callsign state and its combo box.
void gf_updateBlockedList();
// Collision avoidance around the user aircraft.
void gf_avoidCollisionUserAir();
void gf_avoidCollisionUserGnd();
void gf_clearStaticsOnTaxiPaths();

} // namespace ovr
