#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "airports/park_airport.h"
#include "core/parameters.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/motion_common.h"
#include "traffic/received_traffic.h"

namespace ovr
{

namespace
{

constexpr std::int32_t kAirExtrapolations = 8;
constexpr std::int32_t kGroundExtrapolations = 10;
constexpr double kAirStepSeconds = 8.0;
constexpr double kGroundStepSeconds = 3.0;
constexpr std::int64_t kWeekTicks = 604800LL * 100;

bool lf_waitOnTheSpot(LiveAc& ac)
{
    for (const LiveAc& other : g_liveAircraft)
    {
        if (&other != &ac && other.simState == kSimStateActive && other.situation == kSituationTaxi &&
            other.groundMode != 0 &&
            gf_distanceNm(lf_here(ac), lf_here(other)) <= (ac.radius + other.radius) * 1.2)
        {
            ac.extrapolated = 0;
            ac.extrapolationStart = 0;
            return false;
        }
    }
    if (AIRBORNE_ONLY.current.load())
    {
        return false;
    }
    if (ac.extrapolated == 0)
    {
        ac.extrapolated = 1;
        ac.extrapolationStart = g_clock.load();
    }
    else if ((g_clock.load() - ac.extrapolationStart) / 6000 > MAX_HOLDING_MINUTES.current.load())
    {
        return false;
    }
    PositionSample wait = ac.samples.front();
    wait.playMoment += kWaitTicks;
    wait.groundSpeed = 0.0;
    wait.onGround = 1;
    ac.samples.push_back(wait);
    ac.extrapolationCount = 1;
    return true;
}

} // namespace

bool lf_extendStream(LiveAc& ac)
{
    if (ac.samples.empty())
    {
        return false;
    }
    if (ac.situation == kSituationParking)
    {
        lf_arriveAtStand(ac);
        if (ac.simState == kSimStateRemoving)
        {
            return false;
        }
    }
    if (ac.situation == kSituationPushedBack ||
        ((ac.situation == kSituationTaxi || ac.situation == kSituationParking) && ac.takeOffMark == 0 &&
         ac.touchdownMark == 0))
    {
        return lf_waitOnTheSpot(ac);
    }
    if (ac.extrapolationCount == -1)
    {
        return false;
    }
    if (ac.extrapolationCount == 1)
    {
        ac.extrapolationCount = -1;
        return false;
    }
    if (ac.extrapolationCount > 1)
    {
        lf_extrapolate(ac, ac.extrapolationCount - 1);
        return true;
    }
    if (!gf_categoryAdmitted(static_cast<int>(ac.category)))
    {
        return false;
    }
    const PositionSample& front = ac.samples.front();
    std::int32_t n = 0;
    if (front.airborne != 0)
    {
        if (gf_positionKnown(g_userPos.latitude, g_userPos.longitude) &&
            gf_distanceNm(LatLon{g_userPos.latitude, g_userPos.longitude}, lf_at(front)) >= g_rangeNm.load() - 0.5)
        {
            return false;
        }
        if (AIRBORNE_ONLY.current.load())
        {
            float elevation = 0.0f;
            {
                const std::lock_guard lock(g_parkAirportsMutex);
                elevation = g_parkAirport.elevation;
            }
            if (ac.cur.altitude < static_cast<double>(elevation) + 1000.0)
            {
                return false;
            }
        }
        n = kAirExtrapolations;
    }
    else
    {
        n = ac.situation == kSituationParked ? 1 : kGroundExtrapolations;
    }
    lf_extrapolate(ac, n);
    return true;
}

void lf_extrapolate(LiveAc& ac, std::int32_t count)
{
    ac.extrapolationCount = count;
    PositionSample s = ac.samples.back();
    s.feedTime = 0.0;
    if (ac.situation == kSituationParked)
    {
        s.onGround = 1;
        s.groundSpeed = 0.0;
        s.playMoment += kWeekTicks;
        ac.samples.push_back(s);
        return;
    }
    double seconds = kGroundStepSeconds;
    if (s.airborne != 0)
    {
        seconds = kAirStepSeconds;
        if (ac.landingMark == 0)
        {
            s.groundSpeed = std::max(1.0, s.groundSpeed * 0.95);
        }
        else if (count <= 5)
        {
            s.groundSpeed = std::max(1.0, s.groundSpeed * 0.9);
        }
    }
    else if (ac.takeOffMark != 0)
    {
        const double v = s.groundSpeed;
        s.onGround = 0;
        if (v <= 30.0)
        {
            s.groundSpeed = 40.0;
        }
        else if (v <= 60.0)
        {
            s.groundSpeed = 80.0;
        }
        else if (v <= 100.0)
        {
            s.groundSpeed = 110.0;
        }
        else if (v <= 140.0)
        {
            s.groundSpeed = 150.0;
            s.verticalRate = 600.0;
        }
        else if (v <= 160.0)
        {
            s.groundSpeed = 170.0;
            s.verticalRate = 1200.0;
        }
        else
        {
            s.groundSpeed = 180.0;
            s.verticalRate = 2400.0;
        }
    }
    else if (ac.touchdownMark != 0)
    {
        const double v = s.groundSpeed;
        s.onGround = 0;
        s.groundSpeed = v >= 100.0 ? 80.0 : v >= 80.0 ? 60.0 : v >= 60.0 ? 30.0 : 20.0;
    }
    else
    {
        s.onGround = 1;
        s.groundSpeed = 0.0;
    }
    const double feet = s.groundSpeed * seconds * kFeetPerNm / 3600.0;
    const LatLon to = gf_destinationPoint(lf_at(s), ac.cur.heading, feet);
    s.latitude = to.lat;
    s.longitude = to.lon;
    s.playMoment += static_cast<std::int64_t>(seconds * 100.0);
    if (ac.landingMark != 0 && ac.motion.landingStage == 0 && s.airborne != 0)
    {
        s.altitude -= 10.005 * seconds;
        s.verticalRate = -667.0;
    }
    else if (ac.situation == kSituationTakeOff)
    {
        s.altitude += 25.0 * seconds;
        s.verticalRate = 1500.0;
    }
    if (feet <= 0.0)
    {
        s.onGround = 1;
    }
    s.altitude = std::max(0.0, s.altitude);
    ac.samples.push_back(s);
}

void lf_endExtrapolation(LiveAc& ac)
{
    ac.extrapolationCount = 0;
    ac.extrapolated = 0;
    ac.extrapolationStart = 0;
}

} // namespace ovr
