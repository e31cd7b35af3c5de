// Respawns, ghosts and making way. Until the respawn rules are built every
// record of a known aircraft is taken and no ghost is replaced; the ghost
// list exists so that the spawn decision and the reset can use it.
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

// True: take the record's sample.
bool gf_checkRespawn(LiveAc& aircraft, const TrafficRecord& record);
// The real flight `callsign` flies: its ghost (callsign + "_") goes.
void lf_ghostReplaced(std::string_view callsign);
// A live aircraft flies under the ghost's callsign without "_" and is not
// being removed.
bool lf_realFlightExists(std::string_view ghostCallsign);
// Whether the aircraft `callsign` may have the stand: true when nobody
// stands there, or when the one standing there has gone for it.
bool lf_standWanted(std::int32_t standId, std::string_view callsign);

} // namespace ovr
