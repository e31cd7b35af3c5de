#include "traffic/object_activation.h"

#include <algorithm>
#include <array>
#include <mutex>

#include <fmt/format.h>

#include "airports/stand_marks.h"
#include "core/flight_text.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/time.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/adding_stack.h"
#include "traffic/flight_plans.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"

namespace ovr
{

namespace
{

constexpr std::uint32_t kFirstToggle = 50;
constexpr std::uint32_t kSecondToggle = 100;
// An entry's pass counter once its object was activated (or is gone).
constexpr std::uint32_t kFinished = 0xFFFFFFFFu;
constexpr double kHighAltitudeFt = 10000.0;
constexpr double kCabinAboveGroundFt = 2000.0;
constexpr std::uint32_t kRotorcraft = 5;

template <class T> void lf_swapErase(std::vector<T>& v, std::size_t i)
{
    if (i + 1 != v.size())
    {
        v[i] = std::move(v.back());
    }
    v.pop_back();
}

void lf_removeIfAsked(StaticAc& ac)
{
    if (ac.removeWhenCreated != 0)
    {
        ac.removeWhenCreated = 0;
        removeAircraftFromSim(ac);
    }
}

void lf_activateStatic(const SimEvent& e)
{
    const auto it = std::ranges::find_if(g_staticAircraft, [&](const StaticAc& a) { return a.aiKey == e.key; });
    if (it == g_staticAircraft.end())
    {
        return;
    }
    it->simState = kSimStateActive;
    it->objectId = e.objectId;
    gf_setParkedConfig(*it);
    gf_log(fmt::format("{:8}: {:8} parked", gf_standName(it->standId), it->callsign));
    lf_removeIfAsked(*it);
}

void lf_activateLive(LiveAc& ac)
{
    const std::uint32_t object = ac.objectId;
    const bool airborne = !ac.samples.empty() && ac.samples.back().airborne != 0;
    if (airborne)
    {
        gf_engineStart(object);
        gf_setSpoilers(ac, false);
        const std::uint32_t low = ac.cur.altitude <= kHighAltitudeFt ? 1 : 0;
        const std::array<std::uint32_t, 7> lights{1, 1, low, 0, 1, low, ac.aboveGround >= kCabinAboveGroundFt ? 1u : 0u};
        gf_setLights(object, lights);
    }
    else
    {
        gf_setSpoilers(ac, false);
        const bool parked = ac.situation == kSituationParked;
        std::uint32_t nav = 1;
        if (parked)
        {
            gf_engineShutdown(object);
            nav = NAV_LIGHTS_WHILE_PARKED.current.load() ? 1 : 0;
        }
        else
        {
            gf_engineStart(object);
        }
        const std::array<std::uint32_t, 7> lights{
            nav, parked ? 0u : 1u, 0, ac.situation == kSituationTaxi ? 1u : 0u, 0, 1, 1};
        gf_setLights(object, lights);
        gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 0);
        gf_setFlaps(ac, ac.situation == kSituationTaxi ? 1 : 0);
    }
    ac.simState = kSimStateActive;
    lf_removeIfAsked(ac);
}

} // namespace

void gf_activateNewObjects()
{
    for (SimEvent& e : g_createdEvents)
    {
        if (e.aux == kFinished)
        {
            continue;
        }
        ++e.aux;
        if (e.type == kSimEventLiveCreated && (e.aux == kFirstToggle || e.aux == kSecondToggle))
        {
            const std::lock_guard lock(g_simConnectMutex);
            g_clientEvents.push_back({e.objectId, kAllLightsToggle, 0});
        }
        if (e.aux < kActivationPasses)
        {
            continue;
        }
        if (e.type == kSimEventStaticCreated)
        {
            lf_activateStatic(e);
        }
        else if (LiveAc* ac = gf_findLiveAc(e.key); ac != nullptr && ac->objectId == e.objectId)
        {
            lf_activateLive(*ac);
        }
        e.aux = kFinished;
    }
    std::erase_if(g_createdEvents, [](const SimEvent& e) { return e.aux == kFinished; });
}

void gf_onObjectRemoved(std::uint32_t objectId)
{
    const auto live =
        std::ranges::find_if(g_liveAircraft, [&](const LiveAc& a) { return a.objectId == objectId && objectId != 0; });
    if (live != g_liveAircraft.end())
    {
        if (live->simState == kSimStateLiveryRespawn)
        {
            // Created again with its new livery; the plan of the old object
            // goes with it.
            if (live->flightPlanSet != 0)
            {
                gf_removeFlightPlan(objectId);
                live->flightPlanSet = 0;
            }
            live->simState = kSimStateBuffer;
            live->lastThrottleIndex = 5;
            live->lastFlapsIndex = 4;
            live->objectId = 0;
            live->airConfigDone = 0;
            return;
        }
        if (live->flightPlanSet != 0)
        {
            gf_removeFlightPlan(objectId);
        }
        if (live->simState != kSimStateRemoving)
        {
            // Gone by the simulator's own hand: its stand is free again.
            gf_releaseStandOf(*live);
        }
        g_liveAircraft.swapErase(static_cast<std::size_t>(live - g_liveAircraft.begin()));
        return;
    }
    const auto st = std::ranges::find_if(g_staticAircraft,
                                         [&](const StaticAc& a) { return a.objectId == objectId && objectId != 0; });
    if (st != g_staticAircraft.end())
    {
        lf_swapErase(g_staticAircraft, static_cast<std::size_t>(st - g_staticAircraft.begin()));
    }
}

void gf_onCallsignBlocked(std::uint32_t key)
{
    LiveAc* ac = gf_findLiveAc(key);
    if (ac == nullptr)
    {
        return;
    }
    switch (ac->simState)
    {
    case kSimStateBuffer:
        gf_log(fmt::format("{} {} will be removed from buffer while blocked", gf_timeOfDayString(),
                           gf_flightText(*ac)));
        ac->erase = 1;
        break;
    case kSimStateAdding:
        // Its creation is taken back, or it goes as soon as it exists.
        gf_log(fmt::format("{} removed from simulator immediately while blocked", gf_flightText(*ac)));
        removeAircraftFromSim(*ac);
        break;
    case kSimStateActive:
        gf_log(fmt::format("{} removed from simulator immediately while blocked", gf_flightText(*ac)));
        removeAircraftFromSim(*ac);
        break;
    default:
        break;
    }
}

} // namespace ovr
