#include "service/reader_snapshots.h"

#include "airports/park_airport.h"
#include "simlink/sim_client.h"

#include <mutex>

namespace ovr
{

UserAcState gf_userStateSnapshot()
{
    const std::scoped_lock lock(g_simConnectMutex);
    return g_userState;
}

UserAcState gf_userPositionSnapshot()
{
    const std::scoped_lock lock(g_simConnectMutex);
    return g_userPos;
}

ParkSite gf_parkSiteSnapshot()
{
    const std::scoped_lock lock(g_parkAirportsMutex);
    return ParkSite{g_parkAirport, g_reservedStand};
}

} // namespace ovr
