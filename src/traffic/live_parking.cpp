#include "traffic/live_parking.h"

namespace ovr
{

// Stand-ins until the parking of live aircraft is built: nobody parks, the
// park limit holds trivially.
void try2Park(LiveAc& /*aircraft*/, bool /*wide*/) {}

void gf_checkMaxPark(std::uint8_t /*extra*/) {}

std::optional<Stand> lf_standForNewAc(LiveAc& /*aircraft*/)
{
    return std::nullopt;
}

} // namespace ovr
