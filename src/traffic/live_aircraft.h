// The live aircraft in the simulator as the main loop's per-second step sees
// them, and the jobs on them that the main loop runs. Main loop only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/aircraft_records.h"

namespace ovr
{

struct LiveAc : StaticAc
{
    std::uint8_t initialised = 0; // first-time initialisation done
};

extern std::vector<LiveAc> g_liveAircraft;
// Keys of live aircraft that wait for their first-time initialisation.
extern std::deque<std::uint32_t> g_pendingInit;

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
