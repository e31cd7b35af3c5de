#include "airports/nearest_stand.h"

#include "airports/stand_list.h"
#include "core/user_on_ground.h"

namespace ovr
{

namespace
{

constexpr double kNearestStandNm = 0.029697624190064796; // 55 m

} // namespace

std::string gf_nearestStandName(double latitude, double longitude)
{
    if (g_userOnGround.load() == 0)
        return {};
    return g_stands.nearestName(latitude, longitude, kNearestStandNm);
}

} // namespace ovr
