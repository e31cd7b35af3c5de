// Parking of live aircraft: the stand for a taxiing or landed aircraft and
// for one that starts on the ground, the clearance of neighbouring stands,
// and the park limit that the parked aircraft keep to. Main-loop thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "airports/stand.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// Search radii of a stand for a live aircraft (nautical miles): the tight
// one while it follows received samples, the wide one once they ran out.
inline constexpr double kParkSearchNm = 0.010799136069114472;     // 20 m
inline constexpr double kParkSearchWideNm = 0.029697624190064796; // 55 m

// Gives a taxiing aircraft the free stand where it stops and sends it there.
// `wide`: the aircraft has stopped on made-up samples, so the stand may lie
// farther off and a stand it parked on before counts.
void try2Park(LiveAc& aircraft, bool wide);
// False when a live aircraft on the neighbour `adjacentId` would touch
// `parking` on `stand`.
bool gf_adjacentStandClear(std::int32_t adjacentId, const LiveAc& parking, const Stand& stand);
// Keeps the parked aircraft within the park limit when `extra` more are
// about to park: at most one live and one static aircraft go per call.
void gf_checkMaxPark(std::uint8_t extra);
// The n live aircraft that have stood longest go.
void gf_removeLongestParkedLive(std::size_t n);
// The stand for an aircraft that starts on the ground, or none (the erase
// flag is set when the stand it stands on is not to be had).
std::optional<Stand> lf_standForNewAc(LiveAc& aircraft);

} // namespace ovr
