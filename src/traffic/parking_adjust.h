// The renewal of the static parked aircraft of the park airport: every 20
// minutes (or when the parking options change) the aircraft that still fit
// the hour stay, those whose time is over or whose stand a better-fitting
// aircraft wants go, and new candidates fill the stands up to the park
// limit. Main loop only.
#pragma once

#include "core/aircraft_records.h"
#include "traffic/static_parking.h"

namespace ovr
{

// The removal list and the kept positions are the calculation's
// (traffic/static_parking.h); the adjustment fills and works them off.

// Adjusts the static parking of the park airport: with optionsChanged every
// static aircraft placed from learned options is renewed.
void gf_adjustParking(bool optionsChanged);
// Puts a static aircraft on the removal list (g_staticRemovals). It stays
// active until the list is worked off, so that its removal is queued once.
void gf_listForRemoval(const StaticAc& aircraft);
bool gf_listedForRemoval(const StaticAc& aircraft);
// Removes the static aircraft of the removal list (g_staticRemovals) and
// empties it.
void lf_removeListedStatics();

// The first step of the two-step parking update: the parked traffic that the
// adjustment uses is asked for now, its answer taken when the adjustment
// runs.
void gf_armAdjustParkedTraffic();
// The asked parked traffic has not been answered yet.
bool gf_adjustParkedTrafficPending();

} // namespace ovr
