// The altitude and callsign filters that the live-record decoder applies to
// the aircraft array in hand; reached by the decoder and by tests.
#pragma once

#include "service/reply_reader.h"
#include "service/traffic_record.h"

#include <string>

namespace ovr
{

class TrafficReader;

// The blocked callsign last reported on the status line; kept for the whole
// run. Traffic Reader thread only.
extern std::string g_reportedBlockedCallsign;

// Turns the pressure altitude (position 4) into feet above sea level with
// the reader's QNH, puts slow aircraft and those near the park airport's
// elevation on the ground (altitude 0) and, with AIRBORNE_ONLY, refuses
// those not 150 ft above the park airport. Needs the record's ground speed.
bool lf_checkAltitude(const LiveArray& array, TrafficRecord& record, const TrafficReader& reader);

// Sets the callsign from position 13; refuses test transmitters and the
// callsign the user blocked, reporting a newly blocked one once (status line
// and an event for the traffic logic). Needs the record's hex id.
bool lf_checkCallsign(const LiveArray& array, TrafficRecord& record, TrafficReader& reader);

} // namespace ovr
