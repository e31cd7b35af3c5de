#include "traffic/making_way.h"

#include <algorithm>

#include <fmt/format.h>

#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "core/geometry.h"
#include "core/log.h"
#include "traffic/live_lists.h"

namespace ovr
{

namespace
{

constexpr double kStandClearanceFactor = 1.1;

LatLon lf_standAt(const Stand& stand)
{
    return LatLon{stand.latitude, stand.longitude};
}

} // namespace

double gf_standClearanceNm(double radiusA, double radiusB)
{
    return (radiusA + radiusB) * kStandClearanceFactor;
}

const Stand* gf_placedStand(std::int32_t standId)
{
    if (standId < 1)
    {
        return nullptr;
    }
    const Stand* stand = gf_findStand(standId);
    if (stand == nullptr || (stand->latitude == 0.0 && stand->longitude == 0.0))
    {
        return nullptr;
    }
    return stand;
}

bool gf_liveInTheWay(const LiveAc& x, std::int32_t adjacentId, const Stand& adjacent, const LiveAc& parking,
                     const Stand& stand)
{
    if (&x == &parking || adjacentId < 1 || x.standId != static_cast<std::uint32_t>(adjacentId) ||
        x.simState != kSimStateActive ||
        (x.situation != kSituationParked && x.situation != kSituationPushingBack))
    {
        return false;
    }
    if (stand.latitude == 0.0 && stand.longitude == 0.0)
    {
        return false;
    }
    return gf_standClearanceNm(x.radius, parking.radius) >= gf_distanceNm(lf_standAt(adjacent), lf_standAt(stand));
}

void lf_makeWay(const LiveAc& live, const Stand& stand)
{
    const auto standId = static_cast<std::uint32_t>(stand.numericId);
    bool cancelled = false;
    for (StaticAc& st : g_staticAircraft)
    {
        if (stand.numericId < 1 || st.standId != standId ||
            (st.simState != kSimStateActive && st.simState != kSimStateAdding))
        {
            continue;
        }
        const bool sameVersion = (!st.secondCallsign.empty() && st.secondCallsign == live.callsign) ||
                                 (!st.registration.empty() && st.registration == live.registration);
        const std::string line = fmt::format("{:8}: {:8} {} makes way for{} {} {}", stand.name, st.callsign,
                                             st.registration, sameVersion ? " the same live version" : "",
                                             live.callsign, live.registration);
        if (st.simState == kSimStateActive)
        {
            gf_log(line);
            removeAircraftFromSim(st);
            continue;
        }
        // Still being created: a request that waits is taken back, one that
        // has left goes as soon as its object exists.
        removeAircraftFromSim(st);
        if (st.createCancelled != 0)
        {
            gf_log(fmt::format("queued {}", line));
            cancelled = true;
        }
    }
    if (cancelled)
    {
        std::erase_if(g_staticAircraft, [](const StaticAc& a) { return a.createCancelled != 0; });
    }
    for (const std::int32_t adjacentId : stand.adjacent)
    {
        lf_makeWayAdjacent(live, adjacentId, stand);
    }
}

void lf_makeWayAdjacent(const LiveAc& live, std::int32_t adjacentId, const Stand& stand)
{
    if (adjacentId < 1)
    {
        return;
    }
    // A neighbour whose position is unknown lies at 0,0: nothing there is
    // near enough to go.
    const Stand* adjacent = gf_placedStand(adjacentId);
    const LatLon adjacentAt = adjacent != nullptr ? lf_standAt(*adjacent) : LatLon{0.0, 0.0};
    const double apart = gf_distanceNm(adjacentAt, lf_standAt(stand));
    const auto it = std::ranges::find_if(g_staticAircraft, [&](const StaticAc& st)
                                         {
                                             return st.standId == static_cast<std::uint32_t>(adjacentId) &&
                                                    st.simState == kSimStateActive &&
                                                    gf_standClearanceNm(live.radius, st.radius) >= apart;
                                         });
    if (it == g_staticAircraft.end())
    {
        return;
    }
    gf_log(fmt::format("{:8}: {:8} makes way for {} parking at excluded stand {}", gf_standName(it->standId),
                       it->callsign, live.callsign, stand.name));
    removeAircraftFromSim(*it);
}

void lf_clearAdjacentStand(std::int32_t adjacentId, const LiveAc& parking, const Stand& stand)
{
    const Stand* adjacent = gf_placedStand(adjacentId);
    if (adjacent == nullptr)
    {
        return;
    }
    for (LiveAc& x : g_liveAircraft)
    {
        if (gf_liveInTheWay(x, adjacentId, *adjacent, parking, stand))
        {
            gf_log(fmt::format("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}",
                               adjacent->name, x.callsign, parking.callsign, stand.name));
            removeAircraftFromSim(x);
        }
    }
}

} // namespace ovr
