#include "airports/stand_marks.h"

#include "airports/stand_list.h"

namespace ovr
{

void gf_markStandAndAdjacent(std::int32_t standId)
{
    Stand* stand = gf_findStand(standId);
    if (!stand)
        return;
    stand->staticTaken = 1;
    for (const std::int32_t id : stand->adjacent)
        if (Stand* neighbour = id > 0 ? gf_findStand(id) : nullptr)
            neighbour->adjacentTaken = 1;
}

void gf_setStandOccupied(std::uint32_t standId, bool occupied)
{
    if (standId < 1)
        return;
    if (Stand* stand = gf_findStand(static_cast<std::int32_t>(standId)))
        stand->occupied = occupied ? 1 : 0;
}

} // namespace ovr
