#include "traffic/live_parking.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand_find.h"
#include "airports/stand_list.h"
#include "airports/nearest_stand.h"
#include "airports/weekday_hour.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/adding_stack.h"
#include "traffic/making_way.h"
#include "traffic/motion_model.h"
#include "traffic/respawns.h"
#include "traffic/static_parking.h"

namespace ovr
{

namespace
{

constexpr double kSamePositionDeg = 1e-8;
// A ground spawn is put on a stand only near the park airport.
constexpr double kSpawnNearParkAirportNm = 5.0;
// A rolling spawn must be about to stop: its next sample slow, its newest near.
constexpr double kSpawnSlowKt = 5.0;
constexpr double kSpawnNewestNearNm = 0.018898;
constexpr double kSpawnSearchNm = 0.0296976;

// Stands never given to traffic: the user's reserved stand and the stand the
// user aircraft stands on.
bool lf_userKeeps(const Stand& stand)
{
    std::string reserved;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        reserved = g_reservedStand;
    }
    if (!reserved.empty() && reserved == stand.name)
    {
        return true;
    }
    return stand.name == gf_nearestStandName(g_userPos.latitude, g_userPos.longitude);
}

bool lf_parkedActive(const LiveAc& ac)
{
    return ac.situation == kSituationParked && ac.simState == kSimStateActive;
}

std::int64_t lf_nowNs()
{
    return gf_loopClock().now().time_since_epoch().count();
}

// The parked active live aircraft, longest parked first: (key, seconds).
std::vector<std::pair<std::uint32_t, std::int64_t>> lf_longestParkedFirst()
{
    const std::int64_t now = lf_nowNs();
    std::vector<std::pair<std::uint32_t, std::int64_t>> parked;
    for (const LiveAc& ac : g_liveAircraft)
    {
        if (lf_parkedActive(ac))
        {
            parked.emplace_back(ac.aiKey, (now - ac.parkedTime) / 1'000'000'000);
        }
    }
    std::ranges::stable_sort(parked, std::ranges::greater{}, &std::pair<std::uint32_t, std::int64_t>::second);
    return parked;
}

} // namespace

void try2Park(LiveAc& ac, bool wide)
{
    if (ac.samples.empty())
    {
        gf_logWarning(fmt::format("{} empty sz?", "try2Park"));
        return;
    }
    const LatLon at{ac.samples.back().latitude, ac.samples.back().longitude};
    // Standing where the last search looked: it would find the same.
    if (std::fabs(at.lat - ac.lastParkLatitude) < kSamePositionDeg &&
        std::fabs(at.lon - ac.lastParkLongitude) < kSamePositionDeg)
    {
        return;
    }
    ac.lastParkLatitude = at.lat;
    ac.lastParkLongitude = at.lon;
    Stand* found = gf_findStandNear(at, ac, wide ? kParkSearchWideNm : kParkSearchNm, wide);
    if (found == nullptr || lf_userKeeps(*found))
    {
        return;
    }
    // The stand list does not change below; the copy keeps the stand's data
    // for the log lines whatever the removals do.
    const Stand stand = *found;
    const auto standId = static_cast<std::uint32_t>(stand.numericId);
    for (LiveAc& other : g_liveAircraft)
    {
        if (&other != &ac && other.standId == standId && lf_parkedActive(other))
        {
            gf_log(fmt::format("{:8}: {:8} removed, {} wants to park there", stand.name, other.callsign, ac.callsign));
            removeAircraftFromSim(other);
        }
    }
    for (const std::int32_t adjacentId : stand.adjacent)
    {
        lf_clearAdjacentStand(adjacentId, ac, stand);
    }
    lf_makeWay(ac, stand);
    ac.latitude = stand.latitude;
    ac.longitude = stand.longitude;
    ac.heading = stand.heading;
    ac.standId = standId;
    ac.standFlagCopy = stand.cargo;
    if (ac.samples.size() > 1)
    {
        ac.samples.resize(1);
    }
    if (ac.situation != kSituationParking)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationParking;
    }
    drive2Stand(ac, stand);
}

bool gf_adjacentStandClear(std::int32_t adjacentId, const LiveAc& parking, const Stand& stand)
{
    const Stand* adjacent = gf_placedStand(adjacentId);
    if (adjacent == nullptr)
    {
        return true;
    }
    return std::ranges::none_of(g_liveAircraft, [&](const LiveAc& x)
                                {
                                    return x.callsign != parking.callsign &&
                                           gf_liveInTheWay(x, adjacentId, *adjacent, parking, stand);
                                });
}

void gf_checkMaxPark(std::uint8_t extra)
{
    if (RT_PARKTRAFFIC_ONLY.current.load())
    {
        return;
    }
    const auto parkedLive = static_cast<std::int64_t>(std::ranges::count_if(g_liveAircraft, lf_parkedActive));
    const std::int32_t limit = gf_wantedParking();
    if (limit < 1)
    {
        return;
    }
    if (!INITIAL_LOAD_ONLY.current.load() && extra + parkedLive > limit)
    {
        const auto parked = lf_longestParkedFirst();
        LiveAc* longest = parked.empty() ? nullptr : gf_findLiveAc(parked.front().first);
        if (longest != nullptr && longest->simState == kSimStateActive)
        {
            gf_log(fmt::format("{:8}: {} live max park exceeded, removed", gf_standName(longest->standId),
                               longest->callsign));
            removeAircraftFromSim(*longest);
        }
    }
    const auto statics = static_cast<std::int64_t>(std::ranges::count_if(
        g_staticAircraft, [](const StaticAc& st)
        { return st.simState == kSimStateActive || st.simState == kSimStateRemoving; }));
    if (g_staticAircraft.empty() || statics + extra + parkedLive <= limit)
    {
        return;
    }
    // The one that has stood longest goes, counted back through the week: on
    // Monday morning Sunday evening's arrival is older than midnight's.
    const std::uint64_t now = g_weekdayHour.load();
    const auto earliest =
        std::ranges::max_element(g_staticAircraft, {}, [now](const StaticAc& st) { return gf_staticAge(st, now); });
    if (earliest->simState == kSimStateActive)
    {
        gf_log(fmt::format("{:8}: {} static max park exceeded, removed", gf_standName(earliest->standId),
                           earliest->callsign));
        removeAircraftFromSim(*earliest);
    }
}

void gf_removeLongestParkedLive(std::size_t n)
{
    const auto parked = lf_longestParkedFirst();
    std::unordered_set<std::uint32_t> keys;
    for (std::size_t i = 0; i < std::min(n, parked.size()); ++i)
    {
        keys.insert(parked[i].first);
    }
    for (LiveAc& ac : g_liveAircraft)
    {
        if (keys.contains(ac.aiKey))
        {
            gf_log(fmt::format("live parked {} at {} removed", gf_flightText(ac), gf_standName(ac.standId)));
            removeAircraftFromSim(ac);
        }
    }
}

std::optional<Stand> lf_standForNewAc(LiveAc& ac)
{
    if (ac.samples.empty() || g_stands.empty())
    {
        return std::nullopt;
    }
    LatLon airport;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        if (g_parkAirport.icao.empty())
        {
            return std::nullopt;
        }
        airport = LatLon{g_parkAirport.latitude, g_parkAirport.longitude};
    }
    PositionSample& front = ac.samples.front();
    LatLon at{front.latitude, front.longitude};
    if (gf_distanceNm(at, airport) > kSpawnNearParkAirportNm)
    {
        return std::nullopt;
    }
    if (front.onGround == 0)
    {
        const PositionSample& newest = ac.samples.back();
        if (ac.samples.size() < 2 || ac.samples[1].groundSpeed > kSpawnSlowKt ||
            gf_distanceNm(LatLon{newest.latitude, newest.longitude}, at) > kSpawnNewestNearNm)
        {
            return std::nullopt;
        }
        at = LatLon{newest.latitude, newest.longitude};
    }
    Stand* found = gf_findStandNear(at, ac, kSpawnSearchNm, true);
    if (found == nullptr || lf_userKeeps(*found))
    {
        return std::nullopt;
    }
    const Stand stand = *found;
    // A spawn does not push others off their stands: a neighbour in the way
    // keeps its stand and this aircraft is not put into the simulator.
    const bool neighboursClear = std::ranges::all_of(
        stand.adjacent, [&](std::int32_t adjacentId) { return gf_adjacentStandClear(adjacentId, ac, stand); });
    if (!lf_standWanted(stand.numericId, ac.callsign) || !neighboursClear)
    {
        ac.erase = 1;
        return std::nullopt;
    }
    lf_makeWay(ac, stand);
    front.onGround = 1;
    front.groundSpeed = 0.0;
    return stand;
}

} // namespace ovr
