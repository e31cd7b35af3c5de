// The intake of received live traffic into the traffic logic.
#pragma once

#include "service/traffic_record.h"

namespace ovr
{

// Takes one received record: a new live aircraft, or a new position sample
// of a known one. Main-loop thread, and the Traffic Reader thread for the
// buffered batches before the main loop runs.
void gf_takeReceivedAc(const TrafficRecord& record);

} // namespace ovr
