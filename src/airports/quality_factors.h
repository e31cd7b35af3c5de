// How well the stands of an airport are covered by learned options: a real
// and a soft figure from 0 to 100, kept as the park airport's coverage pair
// and written into handmade airport files.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "airports/stand.h"

namespace ovr
{

// Real figure first; -1 each when nothing is known.
struct CoveragePair
{
    std::int32_t real = -1;
    std::int32_t soft = -1;
};

// The two figures packed: soft in the high 32 bits, real in the low 32 bits;
// all bits set (-1, -1) for no stands or no options at all.
std::uint64_t gf_qualityFactors(std::span<const Stand> stands);

CoveragePair gf_coverageOf(std::uint64_t qualityFactors);

// The short text the window shows: two blanks when nothing is known, the
// real figure alone from 45 on, else "real/soft".
std::string gf_coverageText(CoveragePair coverage);

} // namespace ovr
