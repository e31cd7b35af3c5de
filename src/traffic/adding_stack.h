// The traffic logic's heartbeat, run once on every 10 ms pass of the main
// loop: the simulator's events, one step of every live aircraft, the position
// updates handed to the SimClient thread, at most two received records, one
// creation request from the adding stack, paced creations (one per 500 ms)
// and removals (one per 100 ms), the periodic requests and the motion clock.
// Main-loop thread only, except where a lock is named.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core/aircraft_records.h"
#include "simlink/object_events.h"
#include "simlink/sim_queues.h"

namespace ovr
{

// Created events kept for the delayed activation; `aux` counts the passes.
extern std::vector<SimEvent> g_createdEvents;
// Keys of live aircraft whose creation is due; last in, first out.
extern std::vector<std::uint32_t> g_addingStack;
// The paced creations, first in, first out.
extern std::deque<CreateRequest> g_createQueueLive;
extern std::deque<CreateRequest> g_createQueueStatic;
// Object ids waiting for removal, one handed to the link per 100 ms.
extern std::deque<std::uint32_t> g_removalQueue;

// One pass. Exceptions other than those of one aircraft propagate.
void lf_handleAddingStack();
// Consumes the simulator's events under g_objectEventsMutex.
void lf_onGroundSlots();
// Removes the queued creations of this aircraft: those with its key; where
// several share the key (static keys repeat after 10000), only those with
// its callsign too. True when one was removed.
bool gf_eraseQueuedCreate(std::deque<CreateRequest>& queue, const StaticAc& aircraft);
// The park limit: how many stands of the park airport get a parked aircraft
// (the share of stands the parking percentage asks for, at most
// MAX_PARK_SEL); shown in the window. A percentage of 0 or an airport
// without stands parks nobody.
std::int32_t gf_wantedParking();
// Room in the traffic containers at session start.
void gf_reserveTrafficContainers();
// The traffic state back to its start before a restart.
void gf_clearTrafficState();

} // namespace ovr
