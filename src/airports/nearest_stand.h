// The name of the stand at a position: the user aircraft's stand, the stand
// of a parked aircraft that the live-traffic service reports. Called from the
// SimClient thread, the Traffic Reader thread and the main loop.
#pragma once

#include <string>

namespace ovr
{

// The stand within 55 m of the position, the empty text when there is none,
// when the park airport has no stands or while the user aircraft is not on
// the ground.
std::string gf_nearestStandName(double latitude, double longitude);

} // namespace ovr
