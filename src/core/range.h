// The traffic range and the values derived from it.
#pragma once

#include <cstdint>

namespace ovr
{

// Makes `nm`, clamped into RANGE's limits, the current RANGE (selected in its
// combo box when it is one of the listed values) and sets g_rangeNm to it and
// g_rangeMeters to it × 1852 + 10000, the simulator's request radius 10 km
// beyond the range. Returns the radius in metres.
std::int32_t gf_setRange(std::int32_t nm);

} // namespace ovr
