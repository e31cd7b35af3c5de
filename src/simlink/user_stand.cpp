// The user's reserved stand: when the user ends a flight standing at a
// stand of the park airport, that stand is kept for the user in the list of
// park airports, so that no parked aircraft is put there next time.
#include <mutex>
#include <string>

#include "airports/nearest_stand.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "simlink/user_on_ground.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"

namespace ovr
{

namespace
{

// Taxiing speed and below counts as standing.
constexpr double kStandingKt = 2.0;

} // namespace

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
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirports.empty())
        {
            return;
        }
        ParkAirportEntry& first = g_parkAirports.front();
        if (first.icao != g_parkAirport.icao || first.reservedStand == name)
        {
            return;
        }
        first.reservedStand = name;
    }
    gf_addParkAirport();
}

} // namespace ovr
