// What the reader threads read of state that other threads own: each value
// copied whole under its owner's lock, so a reader never sees half of an
// update.
#pragma once

#include "airports/airport.h"
#include "simlink/user_aircraft.h"

#include <string>

namespace ovr
{

// The last user-aircraft data the simulator delivered.
UserAcState gf_userStateSnapshot();
// The main loop's copy of it (the user-position snapshot).
UserAcState gf_userPositionSnapshot();

// The park airport (its code empty when there is none) and the user's
// reserved stand there.
struct ParkSite
{
    Airport airport;
    std::string reservedStand;
    bool exists() const { return !airport.icao.empty(); }
};
ParkSite gf_parkSiteSnapshot();

} // namespace ovr
