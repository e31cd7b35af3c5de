// Whether a received record of a known live aircraft is taken: too soon
// after the last one, a speed that jumps, or a place the aircraft cannot
// have reached. A refused record is kept: the next one that agrees with it
// rather than with the last taken one shows the aircraft really moved on,
// so one bad record never locks an aircraft out. Main-loop thread (under
// g_trafficMutex with the intake).
#pragma once

#include "service/traffic_record.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// True when the record may go on to the aircraft. A confirmed jump to
// another place removes the aircraft (it is created again there from the
// next records) and is false.
bool gf_recordFits(LiveAc& aircraft, const TrafficRecord& record);

// The speed of one record after another is believable (knots).
bool gf_speedsAgree(double lastKt, double nextKt);
// The distance between two samples can be flown in the seconds between them.
bool gf_placesAgree(const PositionSample& last, const PositionSample& next, double seconds);

} // namespace ovr
