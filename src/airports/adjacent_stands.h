// Neighbouring stands: two stands are neighbours when their radii together
// exceed 1.1 times their distance, so that aircraft on both could touch.
#pragma once

#include <span>

#include "airports/stand.h"

namespace ovr
{

// Appends to every stand the numeric ids of its neighbours, in list order,
// and shrinks each list to its size. Stands with the same numeric id are
// never neighbours of each other. A stand without a usable position or
// radius gets no neighbours; no stand gets more than 64.
void gf_linkAdjacentStands(std::span<Stand> stands);

} // namespace ovr
