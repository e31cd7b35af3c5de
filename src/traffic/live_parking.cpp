#include "traffic/live_parking.h"

namespace ovr
{

// Stand-ins until the parking of live aircraft is built: nobody parks, the
// park limit holds trivially and no static aircraft is placed.
void try2Park(LiveAc& /*aircraft*/, bool /*wide*/) {}

void gf_checkMaxPark(std::uint8_t /*extra*/) {}

void lf_checkStaticStand()
{
    g_parkCandidates.clear();
}

std::optional<Stand> lf_standForNewAc(LiveAc& /*aircraft*/)
{
    return std::nullopt;
}

} // namespace ovr
