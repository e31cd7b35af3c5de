#include "traffic/straight_motion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/live_parking.h"

namespace ovr
{

namespace
{

constexpr std::int64_t kShortestSegment = 25; // ticks
constexpr std::int32_t kSlackFloor = 1000;
constexpr std::int32_t kSlackDecay = 100;
constexpr double kTwoPi = 2.0 * kPi;
constexpr std::uint32_t kRotorcraft = 5;
constexpr std::int32_t kAirExtrapolations = 8;
constexpr std::int32_t kGroundExtrapolations = 10;
constexpr double kAirStepSeconds = 8.0;
constexpr double kGroundStepSeconds = 3.0;
constexpr std::int64_t kWaitTicks = 300;
constexpr double kNearGroundFt = 1000.0;
constexpr double kLeastNearGroundStep = 0.2;
constexpr double kFullPercent = 100.0;

bool lf_categoryAdmitted(std::uint32_t category)
{
    switch (category)
    {
    case 0:
        return LIGHT_AIRCRAFT.current.load();
    case 4:
        return HIGH_PERF_AIRCRAFT.current.load();
    case 5:
        return HELICOPTERS.current.load();
    default:
        return true;
    }
}

LatLon lf_at(const PositionSample& s)
{
    return LatLon{s.latitude, s.longitude};
}

void lf_decaySlack(LiveAc& ac)
{
    ac.slackEarly = std::max(kSlackFloor, ac.slackEarly > kSlackFloor ? ac.slackEarly - kSlackDecay : ac.slackEarly);
    ac.slackLate = std::max(kSlackFloor, ac.slackLate > kSlackFloor ? ac.slackLate - kSlackDecay : ac.slackLate);
}

void lf_airConfig(LiveAc& ac)
{
    if (ac.airConfigDone == 0)
    {
        ac.airConfigDone = 1;
        const std::array<std::uint32_t, 7> allOn{1, 1, 1, 1, 1, 1, 1};
        gf_setLights(ac.objectId, allOn);
    }
}

void lf_airSegment(LiveAc& ac, const PositionSample& next, std::int64_t ticks)
{
    if (ac.situation != kSituationTakeOff && ac.situation != kSituationFlying)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationFlying;
    }
    ac.segmentVerticalSpeed = next.verticalRate;
    ac.segmentAirspeed = next.trueAirspeed;
    double step = (next.altitude - ac.cur.altitude) / static_cast<double>(ticks);
    step = std::clamp(step, -ac.maxAltitudeChangePerTick, ac.maxAltitudeChangePerTick);
    if (ac.aboveGround < kNearGroundFt && step > 0.0)
    {
        step = std::max(step, kLeastNearGroundStep);
    }
    ac.verticalStep = step;
    lf_airConfig(ac);
}

void lf_nextSegment(LiveAc& ac)
{
    PositionSample& front = ac.samples[0];
    PositionSample& next = ac.samples[1];
    if (next.onGround == 0 && std::fabs(next.latitude - front.latitude) < 1e-8 &&
        std::fabs(next.longitude - front.longitude) < 1e-8)
    {
        next.onGround = 1;
    }
    if (next.onGround == 0)
    {
        ac.course = gf_bearing(lf_at(front), lf_at(next));
        if (ac.course < 0.0)
        {
            ac.course += kTwoPi;
        }
    }
    if (next.onGround != 0)
    {
        ac.latitudeStep = 0.0;
        ac.longitudeStep = 0.0;
        ac.segmentAirspeed = 0.0;
        if (ac.touchdownMark == 0 && ac.takeOffMark == 0)
        {
            lf_decaySlack(ac);
        }
    }
    else
    {
        const std::int64_t ticks = std::max(kShortestSegment, next.playMoment - g_clock.load());
        ac.latitudeStep = (next.latitude - ac.cur.latitude) / static_cast<double>(ticks);
        ac.longitudeStep = (next.longitude - ac.cur.longitude) / static_cast<double>(ticks);
        if (ac.groundMode != 0)
        {
            ac.segmentVerticalSpeed = 0.0;
            ac.segmentAirspeed = next.groundSpeed;
            ac.verticalStep = 0.0;
        }
        else
        {
            lf_airSegment(ac, next, ticks);
        }
    }
    ac.samples.pop_front();
}

void lf_turnTowards(LiveAc& ac, double target)
{
    double diff = std::remainder(target - ac.cur.heading, kTwoPi);
    const double step = ac.turnStep > 0.0 ? ac.turnStep : ac.baseTurnStep;
    if (std::fabs(diff) <= step || step <= 0.0)
    {
        ac.cur.heading = target;
    }
    else
    {
        ac.cur.heading += diff > 0.0 ? step : -step;
    }
    ac.cur.heading = std::fmod(ac.cur.heading + kTwoPi, kTwoPi);
}

bool lf_waitOnTheSpot(LiveAc& ac)
{
    for (const LiveAc& other : g_liveAircraft)
    {
        if (&other != &ac && other.simState == kSimStateActive && other.situation == kSituationTaxi &&
            other.groundMode != 0 &&
            gf_distanceNm(LatLon{ac.cur.latitude, ac.cur.longitude},
                          LatLon{other.cur.latitude, other.cur.longitude}) <= (ac.radius + other.radius) * 1.2)
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
        return false;
    }
    if (ac.situation == kSituationPushedBack ||
        (ac.situation == kSituationTaxi && ac.takeOffMark == 0 && ac.touchdownMark == 0))
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
    if (!lf_categoryAdmitted(ac.category))
    {
        return false;
    }
    const PositionSample& front = ac.samples.front();
    std::int32_t n = 0;
    if (front.airborne != 0)
    {
        if (gf_positionKnown(g_userPos.latitude, g_userPos.longitude) &&
            gf_distanceNm(LatLon{g_userPos.latitude, g_userPos.longitude}, lf_at(front)) >=
                g_rangeNm.load() - 0.5)
        {
            return false;
        }
        if (AIRBORNE_ONLY.current.load() &&
            ac.cur.altitude < static_cast<double>(g_parkAirport.elevation) + 1000.0)
        {
            return false;
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
    PositionSample s = ac.samples.front();
    double seconds = 0.0;
    if (ac.situation == kSituationParked)
    {
        s.onGround = 1;
        s.groundSpeed = 0.0;
        s.playMoment += 604800LL * 100;
        ac.samples.push_back(s);
        return;
    }
    if (s.airborne != 0)
    {
        s.groundSpeed = std::max(1.0, s.groundSpeed * 0.95);
        seconds = kAirStepSeconds;
    }
    else
    {
        s.onGround = 1;
        s.groundSpeed = 0.0;
        seconds = kGroundStepSeconds;
    }
    const double feet = s.groundSpeed * seconds * kFeetPerNm / 3600.0;
    const LatLon to = gf_destinationPoint(LatLon{s.latitude, s.longitude}, ac.cur.heading, feet);
    s.latitude = to.lat;
    s.longitude = to.lon;
    s.playMoment += static_cast<std::int64_t>(seconds * 100.0);
    s.altitude = std::max(0.0, s.altitude);
    if (feet <= 0.0)
    {
        s.onGround = 1;
    }
    ac.samples.push_back(s);
}

void lf_endExtrapolation(LiveAc& ac)
{
    ac.extrapolationCount = 0;
    ac.extrapolated = 0;
    ac.extrapolationStart = 0;
}

void nextPosMain(LiveAc& ac)
{
    try
    {
        for (;;)
        {
            if (ac.samples.size() >= 2)
            {
                if (ac.groundMode != 0 || ac.samples[1].onGround == 0 || ac.category == kRotorcraft)
                {
                    lf_nextSegment(ac);
                    return;
                }
                ac.samples.erase(ac.samples.begin() + 1);
                continue;
            }
            if (!lf_extendStream(ac))
            {
                removeAircraftFromSim(ac);
                return;
            }
        }
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "nextPosMain", e.what(), gf_flightText(ac),
                           ac.samples.size(), gf_situationText(ac.situation), gf_simStateText(ac.simState)));
        throw;
    }
}

void lf_curveStep(LiveAc& ac)
{
    if (ac.situation != kSituationPushedBack)
    {
        ac.cur.latitude += ac.latitudeStep;
        ac.cur.longitude += ac.longitudeStep;
    }
    if (ac.latitudeStep != 0.0 || ac.longitudeStep != 0.0)
    {
        lf_turnTowards(ac, ac.course);
    }
    if (ac.attitudeTicks > 1)
    {
        --ac.attitudeTicks;
        ac.cur.pitch += ac.pitchStep;
        ac.cur.bank += ac.bankStep;
    }
    if (ac.groundMode == 0)
    {
        ac.cur.altitude += ac.verticalStep;
    }
    ac.cur.pitch = std::clamp(ac.cur.pitch, -kPi / 2.0, kPi / 2.0);
}

void gf_onTouchdown(LiveAc& ac)
{
    ac.touchdownMark = 1;
    ac.parkedDurationMark = 1;
    ac.touchdownHeading = ac.cur.heading;
    gf_setSpoilers(ac, true);
    if (ac.category != 0 && ac.objectId != 0)
    {
        const double throttle = ac.reverseThrust != 0 ? -kFullPercent : kFullPercent;
        std::array<double, 3> values{kFullPercent, throttle, throttle};
        const std::lock_guard lock(g_simConnectMutex);
        SimConnect_SetDataOnSimObject(g_simConnect, kDefTouchdown, ac.objectId, 0, 0, kTouchdownBytes,
                                      values.data());
    }
    const double ticks = std::max<double>(1.0, ac.noseLoweringTicks);
    ac.pitchStep = (ac.staticPitch - ac.cur.pitch) / ticks;
    ac.bankStep = (0.0 - ac.cur.bank) / ticks;
    gf_queuePendingInit(ac.aiKey);
    ac.groundMode = 1;
    ac.verticalStep = 0.0;
    ac.attitudeTicks = 1;
}

} // namespace ovr
