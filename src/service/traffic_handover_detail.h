// The play moments of a batch, for the tests.
#pragma once

#include "service/traffic_record.h"

#include <cstdint>
#include <vector>

namespace ovr::detail
{

// Sets every record's play moment from offset (seconds) and the clock value
// (hundredths of a second).
void stampPlayMoments(std::vector<TrafficRecord>& batch, std::int32_t offset, std::int64_t clock);

} // namespace ovr::detail
