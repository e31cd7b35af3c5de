// The marks that the parking logic of the traffic puts on the park airport's
// stands (the stand searches read them).
#pragma once

#include <cstdint>

namespace ovr
{

// A static aircraft was chosen for the stand: static chosen on it, adjacent
// chosen on every neighbour that exists.
void gf_markStandAndAdjacent(std::int32_t standId);

// A live aircraft parks on the stand or leaves it. The id is the stand's
// numeric id as the aircraft keeps it (unsigned); 0 and unknown ids do nothing.
void gf_setStandOccupied(std::uint32_t standId, bool occupied);

} // namespace ovr
