// Clearing a stand for a live aircraft that takes it: the static parked
// aircraft on the stand and on its close neighbours go, and a live aircraft
// parked on a neighbour that would touch the newcomer goes too. Main-loop
// thread only.
#pragma once

#include <cstdint>

#include "airports/stand.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// The static aircraft on the stand go (an active one is removed, a queued
// creation taken back or marked to go when created), then the static ones
// on its neighbours that would touch the live aircraft.
void lf_makeWay(const LiveAc& live, const Stand& stand);
// The first active static aircraft on the neighbour `adjacentId` whose
// wingtips would reach the live aircraft on `stand` goes.
void lf_makeWayAdjacent(const LiveAc& live, std::int32_t adjacentId, const Stand& stand);
// A live aircraft parked or pushing back on the neighbour `adjacentId` whose
// wingtips would reach `parking` on `stand` goes.
void lf_clearAdjacentStand(std::int32_t adjacentId, const LiveAc& parking, const Stand& stand);

// The clearance two aircraft on neighbouring stands need: the sum of their
// radii with a tenth to spare (nautical miles).
double gf_standClearanceNm(double radiusA, double radiusB);
// The stand with that id when its position is known (id 1 or more, in the
// stand list, not at 0,0); none otherwise.
const Stand* gf_placedStand(std::int32_t standId);
// A live aircraft X on the neighbour `adjacent` (id `adjacentId`) is in the
// way of `parking` on `stand`: X stands there parked or pushing back, is
// active, and their clearance reaches from one stand to the other.
bool gf_liveInTheWay(const LiveAc& x, std::int32_t adjacentId, const Stand& adjacent, const LiveAc& parking,
                     const Stand& stand);

} // namespace ovr
