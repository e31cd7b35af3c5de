// The preparation of an answered parked-traffic request, reached by tests.
#pragma once

#include "service/parked_traffic_record.h"

#include <cstdint>
#include <vector>

namespace ovr::detail
{

// Replaces each record's slot by its age in half hours at `slot`, drops
// those older than maxFit unless parkedOnly, sorts by age and keeps the
// youngest record per stand name and per non-empty callsign.
void prepareParkedRecords(std::vector<ParkedTrafficRecord>& records, std::int32_t slot, std::int32_t maxFit,
                          bool parkedOnly);

} // namespace ovr::detail
