// The user's reserved stand: when the user ends a flight standing at a
// stand of the park airport, that stand is kept for the user in the list of
// park airports, so that no parked aircraft is put there next time. That list
// belongs to the traffic logic above the link: the stand found here is handed
// to the handler that the program set at start.
#include <atomic>
#include <mutex>
#include <string>

#include "airports/nearest_stand.h"
#include "core/user_on_ground.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

namespace
{

// Taxiing speed and below counts as standing.
constexpr double kStandingKt = 2.0;

std::atomic<UserStandHandler> g_userStandHandler{nullptr};

} // namespace

void gf_setUserStandHandler(UserStandHandler handler)
{
    g_userStandHandler.store(handler);
}

void gf_checkUserStand()
{
    if (g_userOnGroundValid.load() == 0)
    {
        return;
    }
    double latitude = 0.0;
    double longitude = 0.0;
    {
        const std::lock_guard lock(g_simConnectMutex);
        if (g_userPos.groundSpeed > kStandingKt)
        {
            return;
        }
        latitude = g_userState.latitude;
        longitude = g_userState.longitude;
    }
    const std::string name = gf_nearestStandName(latitude, longitude);
    if (name.empty())
    {
        return;
    }
    if (UserStandHandler handler = g_userStandHandler.load())
    {
        handler(name);
    }
}

} // namespace ovr
