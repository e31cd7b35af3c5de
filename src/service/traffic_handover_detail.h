// The play moments of a batch, and the taker of the buffered records, which
// tests replace to see what the traffic logic would be given.
#pragma once

#include "service/traffic_record.h"

#include <cstdint>
#include <vector>

namespace ovr::detail
{

// Sets every record's play moment from offset (seconds) and the clock value
// (hundredths of a second).
void stampPlayMoments(std::vector<TrafficRecord>& batch, std::int32_t offset, std::int32_t clock);

using ReceivedTaker = void (*)(const TrafficRecord&);
// nullptr restores gf_takeReceivedAc.
void setReceivedTaker(ReceivedTaker taker);

} // namespace ovr::detail
