// Parking of live aircraft and the placing of static ones. Until the parking
// is built: no stand is given, the park limit removes nothing.
#pragma once

#include <cstdint>
#include <optional>

#include "airports/stand.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

void try2Park(LiveAc& aircraft, bool wide);
void gf_checkMaxPark(std::uint8_t extra);
void lf_checkStaticStand();
// The stand for an aircraft that starts on the ground, or none.
std::optional<Stand> lf_standForNewAc(LiveAc& aircraft);

} // namespace ovr
