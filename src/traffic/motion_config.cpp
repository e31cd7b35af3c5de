#include "traffic/motion_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>

#include "airports/park_airport.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

constexpr double kLandingRangeNm = 10.0;
constexpr std::uint32_t kFlapsUnknown = 4;

double lf_distanceToParkAirportNm(const LiveAc& ac)
{
    const std::lock_guard lock(g_parkAirportsMutex);
    if (g_parkAirport.icao.empty())
    {
        return std::numeric_limits<double>::infinity();
    }
    return gf_distanceNm(lf_here(ac), LatLon{g_parkAirport.latitude, g_parkAirport.longitude});
}

void lf_cabin(LiveAc& ac, bool on)
{
    const std::uint8_t want = on ? 1 : 0;
    if (ac.motion.cabin != want)
    {
        ac.motion.cabin = want;
        gf_setCabinLights(ac.objectId, want);
    }
}

// Flaps out step by step on the way down below 2400 ft.
void lf_approachFlaps(LiveAc& ac, double rate)
{
    if (ac.aboveGround >= 2400.0 || rate > 100.0)
    {
        return;
    }
    // An aircraft created in the air has sent no flaps yet: it starts clean.
    if (ac.lastFlapsIndex == 0 || ac.lastFlapsIndex == kFlapsUnknown)
    {
        gf_setFlaps(ac, 1);
    }
    else if (ac.lastFlapsIndex == 1 && ac.aboveGround < 2000.0)
    {
        gf_setFlaps(ac, 2);
    }
}

} // namespace

void lf_sendLights(LiveAc& ac, const std::array<std::uint32_t, 7>& lights)
{
    gf_setLights(ac.objectId, lights);
    ac.motion.cabin = static_cast<std::uint8_t>(lights[6]);
}

// The throttle levers and spoilers handle of an aircraft that lands or
// finishes its roll-out; light aircraft have neither.
void lf_sendTouchdownData(const LiveAc& ac, double spoilers, double throttle)
{
    if (ac.category == 0 || ac.objectId == 0)
    {
        return;
    }
    std::array<double, 3> values{spoilers, throttle, throttle};
    const std::lock_guard lock(g_simConnectMutex);
    SimConnect_SetDataOnSimObject(g_simConnect, kDefTouchdown, ac.objectId, 0, 0, kTouchdownBytes, values.data());
}

void lf_gear(LiveAc& ac, bool down)
{
    gf_setGear(ac, down);
    ac.motion.gearDown = down ? 1 : 0;
}

void gf_configureAirSpawn(LiveAc& ac)
{
    // Created with the gear down and the flaps up: a cruise aircraft tidies
    // up at once rather than at its first segment, which may be far off.
    if (ac.aboveGround >= 2400.0)
    {
        lf_gear(ac, false);
        gf_setFlaps(ac, 0);
    }
}

void lf_airConfig(LiveAc& ac)
{
    if (ac.airConfigDone == 0)
    {
        ac.airConfigDone = 1;
        lf_sendLights(ac, kAllLights);
    }
    const double high = ac.category >= 1 && ac.category <= 3 ? 2050.0 : 625.0;
    if (ac.aboveGround <= high)
    {
        lf_lowAirConfig(ac);
        return;
    }
    lf_decaySlack(ac);
    lf_cabin(ac, true);
    ac.takeOffMark = 0;
    lf_clearLandingMarks(ac);
    const double rate = gf_climbRateFpm(ac);
    if (rate <= -250.0 && ac.lastThrottleIndex == 3)
    {
        gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 2);
    }
    else if (rate > 400.0 && ac.lastThrottleIndex == 4)
    {
        gf_setThrottle(ac, 3);
    }
    if (ac.aboveGround >= 2400.0)
    {
        // Only what is out goes in: a cruise segment queues no events.
        if (ac.motion.gearDown != 0)
        {
            lf_gear(ac, false);
        }
        if (ac.lastFlapsIndex != 0)
        {
            gf_setFlaps(ac, 0);
        }
    }
    else
    {
        lf_approachFlaps(ac, rate);
    }
}

void lf_lowAirConfig(LiveAc& ac)
{
    lf_cabin(ac, false);
    const double rate = gf_climbRateFpm(ac);
    const double toAirport = lf_distanceToParkAirportNm(ac);
    if (rate <= -250.0 && toAirport <= kLandingRangeNm && ac.landingMark == 0)
    {
        lf_landingBegins(ac);
        return;
    }
    // The upper band of categories 1 to 3 ends at 2050 ft: their second flap
    // step below 2000 ft is taken here.
    if (ac.landingMark == 0 && ac.takeOffMark == 0)
    {
        lf_approachFlaps(ac, rate);
    }
    // A go-around or a climb away; the take-off sets its own configuration.
    if (ac.situation != kSituationTakeOff && ac.motion.climbConfigDone == 0 &&
        (rate > 600.0 || (ac.landingMark != 0 && toAirport > kLandingRangeNm)))
    {
        ac.motion.climbConfigDone = 1;
        gf_setThrottle(ac, 4);
        lf_gear(ac, false);
        gf_setFlaps(ac, 0);
        lf_clearLandingMarks(ac);
        lf_decaySlack(ac);
    }
}

} // namespace ovr
