#include "traffic/motion_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>

#include <fmt/format.h>

#include "airports/apf_updates.h"
#include "airports/park_airport.h"
#include "airports/stand_learning.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "service/qnh.h"
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
constexpr double kTicksPerHour = 360000.0;
constexpr std::int32_t kSlackFloor = 1000;
constexpr std::int32_t kSlackDecay = 100;
constexpr double kTwoPi = 2.0 * kPi;
constexpr std::uint32_t kRotorcraft = 5;
constexpr std::int32_t kAirExtrapolations = 8;
constexpr std::int32_t kGroundExtrapolations = 10;
constexpr double kAirStepSeconds = 8.0;
constexpr double kGroundStepSeconds = 3.0;
constexpr std::int64_t kWaitTicks = 300;
constexpr std::int64_t kWeekTicks = 604800LL * 100;
constexpr double kNearGroundFt = 1000.0;
constexpr double kLeastNearGroundStep = 0.2;
constexpr double kFullPercent = 100.0;
constexpr double kSamePositionDeg = 1e-8;
constexpr double kLandingRangeNm = 10.0;
constexpr double kFlareStartFt = 400.0;
constexpr std::int32_t kLowestTakeOffCount = -1000;
constexpr double kHeadingTolerance = 1e-4; // radians
constexpr double kGravity = 9.80665;       // m/s^2
constexpr double kMetresPerSecondPerKnot = 0.514444;

// Lights in their order: nav, beacon, landing, taxi, strobes, logo, cabin.
constexpr std::array<std::uint32_t, 7> kAllLights{1, 1, 1, 1, 1, 1, 1};
constexpr std::array<std::uint32_t, 7> kTakeOffLights{1, 1, 1, 1, 1, 1, 0};
constexpr std::array<std::uint32_t, 7> kTaxiLights{1, 1, 0, 1, 0, 1, 0};

constexpr std::array<double, 6> kRotationSpeedKt{90, 110, 140, 150, 220, 0};
constexpr std::array<double, 6> kMaxBankDeg{40, 35, 30, 20, 90, 75};
constexpr std::array<double, 6> kBankRateDeg{0.035, 0.0275, 0.02, 0.015, 0.1, 0.06};
constexpr std::array<double, 6> kBankOutRateDeg{0.01, 0.0085, 0.0075, 0.005, 0.03, 0.03};

std::size_t lf_cat(std::uint32_t category)
{
    return std::min<std::size_t>(category, kRotationSpeedKt.size() - 1);
}

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

LatLon lf_here(const LiveAc& ac)
{
    return LatLon{ac.cur.latitude, ac.cur.longitude};
}

bool lf_samePlace(const PositionSample& a, const PositionSample& b)
{
    return std::fabs(a.latitude - b.latitude) < kSamePositionDeg &&
           std::fabs(a.longitude - b.longitude) < kSamePositionDeg;
}

double lf_wrap(double heading)
{
    double h = std::fmod(heading, kTwoPi);
    if (h < 0.0)
    {
        h += kTwoPi;
    }
    if (h >= kTwoPi - 1e-12)
    {
        h = 0.0;
    }
    return h;
}

// The signed shorter turn from one heading to another, in -pi..pi.
double lf_turn(double from, double to)
{
    return std::remainder(to - from, kTwoPi);
}

void lf_decaySlack(LiveAc& ac)
{
    if (ac.slackEarly > kSlackFloor)
    {
        ac.slackEarly = std::max(kSlackFloor, ac.slackEarly - kSlackDecay);
    }
    if (ac.slackLate > kSlackFloor)
    {
        ac.slackLate = std::max(kSlackFloor, ac.slackLate - kSlackDecay);
    }
}

void lf_wideSlack(LiveAc& ac, std::int32_t early)
{
    ac.slackEarly = early;
    ac.slackLate = ac.takeOffMark != 0 ? 5000 : 3000;
}

void lf_setSituation(LiveAc& ac, std::uint32_t situation)
{
    if (ac.situation != situation)
    {
        ac.previousSituation = ac.situation;
        ac.situation = situation;
    }
}

void lf_clearLandingMarks(LiveAc& ac)
{
    ac.landingMark = 0;
    ac.touchdownMark = 0;
    ac.parkedDurationMark = 0;
    ac.motion.landingStage = 0;
}

void lf_resetCurve(LiveAc& ac)
{
    ac.motion.curve.controlEast = std::numeric_limits<double>::quiet_NaN();
    ac.motion.curve.controlNorth = std::numeric_limits<double>::quiet_NaN();
    ac.motion.curveU = 0.0;
    ac.motion.curveStep = 0.0;
    ac.motion.directTurn = 0;
}

bool lf_curveSet(const LiveAc& ac)
{
    return !std::isnan(ac.motion.curve.controlEast) && !std::isnan(ac.motion.curve.controlNorth);
}

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

double lf_distanceToParkAirportNm(const LiveAc& ac)
{
    const std::lock_guard lock(g_parkAirportsMutex);
    if (g_parkAirport.icao.empty())
    {
        return std::numeric_limits<double>::infinity();
    }
    return gf_distanceNm(lf_here(ac), LatLon{g_parkAirport.latitude, g_parkAirport.longitude});
}

std::int64_t lf_toTicks(double value)
{
    if (!(std::fabs(value) < static_cast<double>(std::numeric_limits<std::int32_t>::max())))
    {
        throw std::overflow_error("narrowing error");
    }
    return std::llround(value);
}

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

// Flare stages: height over the static CG height, vertical step per tick,
// the vertical rate shown.
struct FlareStage
{
    double aboveCgFt;
    double step;
    double rate;
};
constexpr std::array<FlareStage, 4> kFlare{{{30.0, -0.1, -601.0},
                                            {20.0, -0.075, -450.0},
                                            {10.0, -0.05, -300.0},
                                            {3.0, -0.025, -150.0}}};

void lf_flare(LiveAc& ac)
{
    if (ac.landingMark == 0 || ac.groundMode != 0 || ac.aboveGround > kFlareStartFt)
    {
        return;
    }
    const std::uint8_t stage = ac.motion.landingStage;
    if (stage < kFlare.size() && ac.aboveGround <= ac.staticCgHeight + kFlare[stage].aboveCgFt)
    {
        const FlareStage& f = kFlare[stage];
        if (stage == 0)
        {
            const double ticks = std::max<double>(1.0, ac.flareTicks);
            ac.attitudeTicks = static_cast<std::int32_t>(ticks) + 1;
            ac.pitchStep = (-4.0 * kDegToRad - ac.cur.pitch) / ticks;
        }
        if (stage == 2)
        {
            gf_setThrottle(ac, 0);
        }
        ac.verticalStep = f.step;
        ac.segmentVerticalSpeed = f.rate;
        ac.cur.verticalSpeed = f.rate / 60.0;
        ac.motion.targetAltitude = -std::numeric_limits<double>::infinity();
        ac.motion.landingStage = static_cast<std::uint8_t>(stage + 1);
    }
}

void lf_takeOffTick(LiveAc& ac)
{
    MotionState& m = ac.motion;
    if (m.sinceRotation >= 0 && m.sinceRotation < std::numeric_limits<std::int32_t>::max())
    {
        ++m.sinceRotation;
    }
    if (ac.attitudeTicks > kLowestTakeOffCount)
    {
        --ac.attitudeTicks;
    }
    if (ac.attitudeTicks >= 1)
    {
        ac.cur.pitch += ac.pitchStep;
        return; // pinned to the runway until the rotation ends
    }
    // Pitch up from the rotation pitch to the climb-out pitch (nose up is negative).
    if (ac.pitchStep != 0.0 || ac.cur.pitch > ac.climbOutPitch)
    {
        const double step = (ac.climbOutPitch - ac.rotationPitch) / std::max<double>(1.0, ac.pitchUpTicks);
        ac.cur.pitch += step;
        ac.pitchStep = step;
        if (ac.cur.pitch <= ac.climbOutPitch || step >= 0.0)
        {
            ac.cur.pitch = ac.climbOutPitch;
            ac.pitchStep = 0.0;
        }
    }
    const std::int32_t after = -ac.attitudeTicks;
    const double share = after < 100 ? 0.1 : after < 200 ? 0.2 : 1.0;
    const double rise = std::max(0.0, ac.verticalStep) * share;
    ac.cur.altitude += rise;
    ac.aboveGround += rise;
    if (m.sinceRotation >= 300 && m.gearUpDone == 0)
    {
        m.gearUpDone = 1;
        gf_setGear(ac, false);
        m.gearDown = 0;
    }
    if (ac.pitchStep == 0.0 && ac.aboveGround >= 800.0)
    {
        gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 3);
        lf_setSituation(ac, kSituationFlying);
        ac.attitudeTicks = 1;
        m.sinceRotation = -1;
        m.climbConfigDone = 1;
    }
}

void lf_airHeadingTick(LiveAc& ac)
{
    const double diff = lf_turn(ac.cur.heading, ac.course);
    const double step = std::fabs(ac.headingStep);
    if (std::fabs(diff) <= step || step <= 0.0)
    {
        if (step > 0.0)
        {
            ac.cur.heading = ac.course;
        }
        ac.motion.bankTarget = 0.0;
        ac.headingStep = 0.0;
    }
    else
    {
        ac.cur.heading += diff > 0.0 ? step : -step;
    }
}

void lf_bankTick(LiveAc& ac)
{
    const std::size_t c = lf_cat(ac.category);
    const double target = ac.motion.bankTarget;
    const bool rollingOut = std::fabs(target) < std::fabs(ac.cur.bank);
    const double rate = (rollingOut ? kBankOutRateDeg[c] : kBankRateDeg[c]) * kDegToRad;
    const double d = target - ac.cur.bank;
    ac.cur.bank = std::fabs(d) <= rate ? target : ac.cur.bank + (d > 0.0 ? rate : -rate);
}

void lf_turnTowards(LiveAc& ac, double target)
{
    const double diff = lf_turn(ac.cur.heading, target);
    if (std::fabs(diff) <= kHeadingTolerance)
    {
        return;
    }
    const double step = ac.turnStep > 0.0 ? ac.turnStep : ac.baseTurnStep;
    if (std::fabs(diff) <= step || step <= 0.0)
    {
        ac.cur.heading = target;
    }
    else
    {
        ac.cur.heading += diff > 0.0 ? step : -step;
    }
}

// Off-frame for the curve: north and east metres of `p` from `origin`.
void lf_offset(LatLon origin, LatLon p, double& north, double& east)
{
    north = (p.lat - origin.lat) * kMetresPerDegreeLat;
    east = (p.lon - origin.lon) * kMetresPerDegreeLat * std::cos(origin.lat * kDegToRad);
}

void lf_curveTick(LiveAc& ac)
{
    MotionState& m = ac.motion;
    m.curveU = std::clamp(m.curveU + m.curveStep, 0.0, 0.999999);
    LatLon p;
    double tangent = 0.0;
    if (!gf_pointOnCurve(m.curve, m.curveU, p, tangent))
    {
        gf_log(fmt::format("{} error in curve at index: {:.2F}", ac.callsign, m.curveU));
        return;
    }
    ac.cur.latitude = p.lat;
    ac.cur.longitude = p.lon;
    if (ac.situation == kSituationPushingBack)
    {
        tangent = lf_wrap(tangent + kPi);
    }
    lf_turnTowards(ac, tangent);
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

void lf_gear(LiveAc& ac, bool down)
{
    gf_setGear(ac, down);
    ac.motion.gearDown = down ? 1 : 0;
}

// Flaps out step by step on the way down below 2400 ft.
void lf_approachFlaps(LiveAc& ac, double rate)
{
    if (ac.aboveGround >= 2400.0 || rate > 100.0)
    {
        return;
    }
    if (ac.lastFlapsIndex == 0)
    {
        gf_setFlaps(ac, 1);
    }
    else if (ac.lastFlapsIndex == 1 && ac.aboveGround < 2000.0)
    {
        gf_setFlaps(ac, 2);
    }
}

void lf_landingBegins(LiveAc& ac)
{
    gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 1);
    gf_setFlaps(ac, 3);
    lf_gear(ac, true);
    gf_queuePendingInit(ac.aiKey);
    ac.landingMark = 1;
    ac.motion.landingStage = 0;
    ac.motion.climbConfigDone = 0;
    ac.standId = 0;
    ac.standFlagCopy = 0;
    ac.latitude = 0.0;
    ac.longitude = 0.0;
    ac.attitudeTicks = 1;
    lf_wideSlack(ac, 3000);
}

} // namespace

double gf_rotationSpeedKt(std::uint32_t category)
{
    return kRotationSpeedKt[lf_cat(category)];
}

double gf_maxBankDeg(std::uint32_t category)
{
    return kMaxBankDeg[lf_cat(category)];
}

bool lf_atRotationSpeed(const LiveAc& ac, std::uint32_t category)
{
    if (ac.samples.size() < 2)
    {
        return false;
    }
    const double vr = gf_rotationSpeedKt(category);
    return std::all_of(ac.samples.begin() + 1, ac.samples.end(),
                       [vr](const PositionSample& s) { return s.groundSpeed >= vr; });
}

double lf_segmentSpeed(const LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    // The distance is over the ground: timing it with the airspeed would put
    // the aircraft ahead of or behind its samples by the wind.
    if (f.groundSpeed > 0.0 && n.groundSpeed > 0.0)
    {
        return (f.groundSpeed + n.groundSpeed) / 2.0;
    }
    if (f.trueAirspeed == 0.0 && n.trueAirspeed == 0.0)
    {
        const double d = gf_distanceNm(lf_at(f), lf_at(n));
        const double dt = std::max<double>(kShortestSegment, static_cast<double>(n.playMoment - f.playMoment));
        return std::max(1.0, d * kTicksPerHour / dt);
    }
    return (f.trueAirspeed + n.trueAirspeed) / 2.0;
}

double lf_descentRate(const LiveAc& ac)
{
    if (ac.aboveGround > 100.0 && ac.samples.size() >= 2)
    {
        const double mean = (ac.samples[0].verticalRate + ac.samples[1].verticalRate) / 2.0;
        const double qnh = static_cast<double>(g_qnhHpa.load());
        return std::min(mean - (qnh - 1013.25) * 6.0, -601.0);
    }
    return -600.0;
}

double lf_bankFor(const LiveAc& ac, double headingChange, double ticks)
{
    if (!(ticks > 0.0))
    {
        return 0.0;
    }
    // A coordinated turn: tan(bank) = speed x turn rate / g.
    const double rate = headingChange / (ticks / 100.0); // radians per second
    const double speed = std::max(ac.cur.trueAirspeed, 60.0) * kMetresPerSecondPerKnot;
    const double bank = std::atan(speed * rate / kGravity);
    const double most = gf_maxBankDeg(ac.category) * kDegToRad;
    return std::clamp(bank, -most, most);
}

void lf_retimeNext(LiveAc& ac, std::int64_t duration)
{
    PositionSample& n = ac.samples[1];
    const std::int64_t now = g_clock.load();
    std::int64_t t = now + duration;
    if (ac.extrapolationCount < 1)
    {
        t = std::clamp(t, n.playMoment - ac.slackEarly, std::max(n.playMoment - ac.slackEarly, n.playMoment + ac.slackLate));
    }
    n.playMoment = std::max(t, now);
}

void lf_climbStep(LiveAc& ac)
{
    if (ac.samples.size() < 2)
    {
        ac.verticalStep = 0.0;
        return;
    }
    const PositionSample& n = ac.samples[1];
    if (n.altitude > ac.cur.altitude)
    {
        const double ticks = static_cast<double>(std::max(kShortestSegment, n.playMoment - g_clock.load()));
        ac.verticalStep = std::min((n.altitude - ac.cur.altitude) / ticks, ac.maxAltitudeChangePerTick);
    }
    else
    {
        ac.verticalStep = 0.0;
    }
}

void lf_climbTo(LiveAc& ac, std::size_t k)
{
    if (k >= ac.samples.size() || ac.samples[k].airborne == 0)
    {
        return;
    }
    ac.samples.erase(ac.samples.begin() + 1, ac.samples.begin() + static_cast<std::ptrdiff_t>(k));
    const std::int64_t ticks = std::max(kShortestSegment, ac.samples[1].playMoment - g_clock.load());
    lf_retimeNext(ac, ticks);
    lf_climbStep(ac);
}

void lf_markTakeOff(LiveAc& ac)
{
    if (ac.towedMark != 0)
    {
        gf_log(fmt::format("towed aircraft takes-off? {}", gf_flightText(ac)));
    }
    ac.takeOffMark = 1;
    gf_setThrottle(ac, 0);
    gf_setSpoilers(ac, false);
    gf_setFlaps(ac, 1);
    lf_clearLandingMarks(ac);
    lf_sendLights(ac, kTakeOffLights);
    ac.slackEarly = 3000;
    ac.slackLate = 5000;
}

void lf_startTakeOff(LiveAc& ac)
{
    const bool touchAndGo = ac.touchdownMark != 0;
    const std::int32_t n = std::max<std::int32_t>(1, static_cast<std::int32_t>(ac.rotationTicks));
    ac.cur.bank = 0.0;
    ac.attitudeTicks = n;
    ac.pitchStep = (ac.rotationPitch - ac.cur.pitch) / static_cast<double>(n);
    ac.bankStep = 0.0;
    ac.motion.bankTarget = 0.0;
    if (ac.takeOffMark == 0)
    {
        lf_markTakeOff(ac);
    }
    lf_setSituation(ac, kSituationTakeOff);
    ac.headingStep = 0.0;
    lf_resetCurve(ac);
    // The wheels leave the simulator's hold at the rotation.
    ac.groundMode = 0;
    ac.motion.sinceRotation = 0;
    ac.motion.gearUpDone = 0;
    if (touchAndGo)
    {
        ac.touchdownMark = 0;
        ac.landingMark = 0;
        ac.motion.landingStage = 0;
        gf_setThrottle(ac, 4);
        gf_setSpoilers(ac, true);
        gf_setFlaps(ac, 1);
    }
    lf_climbStep(ac);
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
    const double rate = ac.samples.back().verticalRate;
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
        if (ac.lastFlapsIndex >= 1 && ac.lastFlapsIndex <= 3)
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
    const double rate = ac.samples.back().verticalRate;
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

void lf_airStep(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    if (n.onGround != 0)
    {
        if (ac.category == kRotorcraft)
        {
            lf_groundTiming(ac);
        }
        return;
    }
    double speed = 0.0;
    if (ac.landingMark != 0 && n.airborne == 0)
    {
        speed = f.groundSpeed > 0.0 ? f.groundSpeed : 100.0;
    }
    else
    {
        speed = lf_segmentSpeed(ac);
    }
    const double d = gf_distanceNm(lf_at(f), lf_at(n));
    const std::int64_t ticks = lf_toTicks(d * kTicksPerHour / std::max(1.0, speed));
    lf_retimeNext(ac, std::max(ticks, kShortestSegment));
}

static void lf_airSegment(LiveAc& ac, std::int64_t ticks)
{
    const PositionSample& n = ac.samples[1];
    if (ac.situation != kSituationTakeOff && ac.situation != kSituationFlying)
    {
        lf_setSituation(ac, kSituationFlying);
    }
    ac.segmentVerticalSpeed = n.verticalRate;
    ac.segmentAirspeed = n.trueAirspeed;
    const double t = static_cast<double>(ticks);
    if (n.altitude >= ac.cur.altitude && n.airborne != 0)
    {
        double step = std::min((n.altitude - ac.cur.altitude) / t, ac.maxAltitudeChangePerTick);
        if (ac.aboveGround < kNearGroundFt && n.altitude > ac.cur.altitude)
        {
            step = std::max(step, kLeastNearGroundStep);
        }
        ac.verticalStep = step;
        ac.motion.targetAltitude = n.altitude;
    }
    else
    {
        ac.verticalStep = lf_descentRate(ac) / 6000.0;
        // Towards the ground the landing goes on until the simulator reports it.
        ac.motion.targetAltitude = n.airborne != 0 && ac.landingMark == 0
                                       ? n.altitude
                                       : -std::numeric_limits<double>::infinity();
    }
    if (ac.motion.landingStage > 0)
    {
        // The flare keeps its own descent.
        ac.verticalStep = kFlare[ac.motion.landingStage - 1].step;
        ac.motion.targetAltitude = -std::numeric_limits<double>::infinity();
    }
    // The heading turns to the course within the first half of the segment at
    // most at the turn step, with the bank of that turn.
    const double diff = lf_turn(ac.cur.heading, ac.course);
    const double step = std::min(ac.turnStep > 0.0 ? ac.turnStep : ac.baseTurnStep,
                                 std::fabs(diff) / std::max(1.0, t / 2.0));
    ac.headingStep = diff >= 0.0 ? step : -step;
    ac.motion.bankTarget = step > 0.0 ? lf_bankFor(ac, diff, std::fabs(diff) / step) : 0.0;
    if (ac.situation == kSituationTakeOff)
    {
        ac.motion.bankTarget = 0.0;
    }
    lf_airConfig(ac);
}

void lf_setupCurve(LiveAc& ac)
{
    MotionState& m = ac.motion;
    PositionSample& c = ac.samples[1];
    PositionSample& e = ac.samples[2];
    const LatLon start = lf_here(ac);
    m.curve.originLat = start.lat;
    m.curve.originLon = start.lon;
    m.curve.startTime = 0.0;
    m.curve.endTime = 1.0;
    lf_offset(start, lf_at(c), m.curve.controlNorth, m.curve.controlEast);
    lf_offset(start, lf_at(e), m.curve.endNorth, m.curve.endEast);
    m.curveU = 0.0;
    if (e.groundSpeed == 0.0)
    {
        e.groundSpeed = (ac.samples[0].groundSpeed + c.groundSpeed) / 2.0;
    }
    ac.samples.erase(ac.samples.begin() + 1);
}

void lf_speedChange(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    PositionSample mid = f;
    mid.latitude = (f.latitude + n.latitude) / 2.0;
    mid.longitude = (f.longitude + n.longitude) / 2.0;
    mid.groundSpeed = (f.groundSpeed + n.groundSpeed) / 2.0;
    mid.playMoment = f.playMoment + (n.playMoment - f.playMoment) / 2;
    mid.onGround = mid.groundSpeed == 0.0 ? 1 : 0;
    ac.samples.insert(ac.samples.begin() + 1, mid);
}

void lf_speedCheck(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    if (std::fabs(n.groundSpeed - f.groundSpeed) > 5.0 && gf_distanceNm(lf_at(f), lf_at(n)) * 1852.0 >= 100.0)
    {
        lf_speedChange(ac);
    }
}

void lf_groundTiming(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    PositionSample& n = ac.samples[1];
    const std::int64_t now = g_clock.load();
    if (n.onGround == 0)
    {
        ac.turnStep = ac.baseTurnStep;
        const double d = gf_distanceNm(lf_at(f), lf_at(n));
        const std::int64_t t = std::max(lf_toTicks(d * kTicksPerHour / lf_segmentSpeed(ac)), kShortestSegment);
        if (lf_curveSet(ac) || ac.motion.directTurn != 0)
        {
            const double a = ac.motion.directTurn != 0
                                 ? std::fabs(lf_turn(ac.cur.heading, ac.course)) * kRadToDeg
                                 : ac.motion.turnAngle;
            // Degrees over the radian turn step, as the timing was tuned.
            const std::int64_t n2 = lf_toTicks(a / ac.turnStep / 100.0);
            if (a > 0.0 && d > 0.0)
            {
                const double r = static_cast<double>(t) / static_cast<double>(std::max<std::int64_t>(n2, 1));
                if (a <= 45.0)
                {
                    if (r >= 1.2)
                    {
                        const double m = std::min({r, r * 10.0 / a, r * 30.0 * kNmPerMetre / d});
                        if (m > 0.0)
                        {
                            ac.turnStep *= 1.0 / m;
                        }
                    }
                    else if (r > 0.0)
                    {
                        ac.turnStep *= 1.0 / r;
                    }
                }
                else
                {
                    ac.turnStep *= std::min(r, std::min(a, 90.0) / 30.0);
                    if (a >= 90.0)
                    {
                        ac.slackEarly = std::max(ac.slackEarly, 2000);
                        ac.slackLate = std::max(ac.slackLate, 2000);
                    }
                }
            }
        }
        lf_retimeNext(ac, t);
        return;
    }
    const std::int64_t fp = f.playMoment;
    const std::int64_t tp = n.playMoment;
    const std::int64_t dt = tp >= fp ? std::max<std::int64_t>(tp - fp, kShortestSegment) : kShortestSegment;
    const std::int64_t due = now + std::max(fp - now + dt, kShortestSegment);
    std::int64_t play = due;
    if (ac.extrapolationCount < 1)
    {
        play = due <= tp + ac.slackLate ? std::max(due, tp - ac.slackEarly) : tp + ac.slackLate;
    }
    n.playMoment = std::max(play, now);
}

void lf_pushBack(LiveAc& ac)
{
    MotionState& m = ac.motion;
    const Stand* stand = gf_findStand(static_cast<std::int32_t>(ac.standId));
    const double standRadius = stand != nullptr && stand->radius > 0.0 ? stand->radius : ac.radius;
    const double h = ac.cur.heading;
    const LatLon here = lf_here(ac);
    const double backFt = 2.5 * standRadius * kFeetPerNm;
    const double rFt = std::max(ac.radius, 0.005) * kFeetPerNm;
    const LatLon b = gf_destinationPoint(here, lf_wrap(h + kPi), backFt);
    const LatLon corner = gf_destinationPoint(b, lf_wrap(h + kPi), rFt);
    // Nose to the right: the tail swings to the left of the heading.
    m.pushEndRight = gf_destinationPoint(corner, lf_wrap(h - kPi / 2.0), rFt);
    m.pushEndLeft = gf_destinationPoint(corner, lf_wrap(h + kPi / 2.0), rFt);
    const double speed = std::max(1.0, ac.standSpeed);
    const std::int64_t now = g_clock.load();
    PositionSample front = ac.samples.front();
    front.onGround = 0;
    front.groundSpeed = speed;
    PositionSample back = front;
    back.latitude = b.lat;
    back.longitude = b.lon;
    back.playMoment = now + std::max(kShortestSegment, lf_toTicks(backFt / kFeetPerNm * kTicksPerHour / speed));
    PositionSample end = back;
    end.onGround = 1;
    end.groundSpeed = 0.0;
    end.playMoment = back.playMoment + kWaitTicks;
    ac.samples.clear();
    ac.samples.push_back(front);
    ac.samples.push_back(back);
    ac.samples.push_back(end);
    lf_sendLights(ac, kTaxiLights);
    lf_setSituation(ac, kSituationPushingBack);
    m.pushbackStage = 2;
    if (STRAIGHT_PBS_ONLY.current.load())
    {
        m.turnSideKnown = 0;
    }
}

void lf_pullOutStep(LiveAc& ac)
{
    const double speed = std::max(1.0, ac.standSpeed);
    const double distNm = 2.0 * std::max(ac.radius, 0.005);
    const LatLon to = gf_destinationPoint(lf_here(ac), ac.cur.heading, distNm * kFeetPerNm);
    PositionSample front = ac.samples.front();
    front.onGround = 0;
    front.groundSpeed = speed;
    PositionSample target = front;
    target.latitude = to.lat;
    target.longitude = to.lon;
    target.playMoment = g_clock.load() + std::max(kShortestSegment, lf_toTicks(distNm / speed * kTicksPerHour));
    ac.samples.clear();
    ac.samples.push_back(front);
    ac.samples.push_back(target);
    lf_setSituation(ac, kSituationTaxi);
    ac.course = ac.cur.heading;
    lf_sendLights(ac, kTaxiLights);
    gf_engineStart(ac.objectId);
    gf_setThrottle(ac, 0);
    gf_setFlaps(ac, 1);
    gf_log(fmt::format("{:8}: {:8} pulling out", gf_standName(ac.standId), ac.callsign));
}

static void lf_pushbackStep(LiveAc& ac)
{
    MotionState& m = ac.motion;
    --m.pushbackStage;
    if (m.pushbackStage == 1)
    {
        if (m.turnSideKnown != 0 && ac.samples.size() >= 2)
        {
            const LatLon end = m.turnSide != 0 ? m.pushEndRight : m.pushEndLeft;
            PositionSample& newest = ac.samples.back();
            newest.latitude = end.lat;
            newest.longitude = end.lon;
            newest.onGround = 0;
            newest.groundSpeed = std::max(1.0, ac.standSpeed);
            const LatLon here = lf_here(ac);
            const LatLon corner = gf_destinationPoint(here, lf_wrap(ac.cur.heading + kPi),
                                                      std::max(ac.radius, 0.005) * kFeetPerNm);
            m.curve.originLat = here.lat;
            m.curve.originLon = here.lon;
            m.curve.startTime = 0.0;
            m.curve.endTime = 1.0;
            lf_offset(here, corner, m.curve.controlNorth, m.curve.controlEast);
            lf_offset(here, end, m.curve.endNorth, m.curve.endEast);
            m.curveU = 0.0;
            const std::int64_t n = std::max<std::int64_t>(1, lf_toTicks(90.0 / ac.turnStep / 100.0));
            m.curveStep = 1.0 / static_cast<double>(n);
            m.turnAngle = 90.0;
            newest.playMoment = g_clock.load() + n;
        }
        return;
    }
    if (m.pushbackStage < 1)
    {
        ac.course = ac.cur.heading;
        gf_engineStart(ac.objectId);
        gf_setThrottle(ac, 0);
        gf_setFlaps(ac, 1);
        lf_setSituation(ac, kSituationPushedBack);
        m.pushbackStage = 1;
        m.pushedBackDistance = 900.0;
        ac.extrapolationCount = 0;
        ac.pullOutMark = 0;
    }
}

void nextPosGround(LiveAc& ac)
{
    if (ac.situation == kSituationFlying || ac.situation == kSituationTakeOff)
    {
        if (ac.samples[1].airborne == 0)
        {
            // Down without a reported touchdown: the roll-out begins.
            ac.situation = kSituationTaxi;
            ac.previousSituation = kSituationFlying;
            ac.motion.sinceRotation = -1;
        }
    }
    switch (ac.situation)
    {
    case kSituationPushingBack:
        lf_pushbackStep(ac);
        return;
    case kSituationParked:
        lf_wideSlack(ac, 3000);
        if (ac.pullOutMark != 0 && ac.samples.size() >= 2)
        {
            const Stand* stand = gf_findStand(static_cast<std::int32_t>(ac.standId));
            const LatLon standAt = stand != nullptr ? LatLon{stand->latitude, stand->longitude} : lf_here(ac);
            const double standHeading = stand != nullptr ? stand->heading : ac.cur.heading;
            const double way = gf_bearing(standAt, lf_at(ac.samples[1]));
            if (std::fabs(lf_turn(standHeading, way)) <= kPi / 2.0)
            {
                lf_pullOutStep(ac);
            }
            else
            {
                lf_pushBack(ac);
            }
        }
        return;
    case kSituationPushedBack:
        return;
    default:
        break;
    }
    if (ac.samples.size() >= 3 && ac.samples[1].onGround == 0 && ac.samples[2].onGround == 0)
    {
        const PositionSample& f = ac.samples[0];
        const PositionSample& c = ac.samples[1];
        const PositionSample& e = ac.samples[2];
        const double a = gf_bearing(lf_at(f), lf_at(c));
        const double b = gf_bearing(lf_at(c), lf_at(e));
        const double turn = std::fabs(lf_turn(a, b)) * kRadToDeg;
        if (turn > 3.0)
        {
            if (turn > 45.0 && gf_distanceNm(lf_at(f), lf_at(c)) > 0.027 && c.groundSpeed <= 43.0 &&
                c.playMoment - f.playMoment >= 600)
            {
                lf_speedChange(ac);
            }
            else if (turn <= 160.0 && !lf_samePlace(e, f))
            {
                lf_setupCurve(ac);
                ac.motion.turnAngle = turn;
            }
            else
            {
                lf_speedCheck(ac);
            }
        }
    }
    if (!lf_curveSet(ac) && ac.samples[1].onGround == 0)
    {
        ac.course = gf_bearing(lf_here(ac), lf_at(ac.samples[1]));
        ac.motion.directTurn = std::fabs(lf_turn(ac.cur.heading, ac.course)) > 3.0 * kDegToRad ? 1 : 0;
    }
    lf_groundTiming(ac);
    // Into a stand: the newest sample stands still near where the aircraft is.
    // The stands are those of the park airport's file that was read; the
    // airport list's stand count is 0 for most airports and says nothing
    // about them.
    bool standsInForce = false;
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        standsInForce = !g_parkAirport.icao.empty();
    }
    standsInForce = standsInForce && !g_stands.empty();
    const PositionSample& newest = ac.samples.back();
    if (newest.onGround != 0 && ac.situation == kSituationTaxi && standsInForce)
    {
        const bool fromStand = ac.previousSituation == kSituationParked ||
                               ac.previousSituation == kSituationPushingBack ||
                               ac.previousSituation == kSituationPushedBack;
        if (fromStand && ac.towedMark == 0)
        {
            return;
        }
        if (ac.extrapolationCount > 0 ||
            (ac.samples[1].groundSpeed <= 5.0 && gf_distanceNm(lf_at(newest), lf_here(ac)) <= 0.0189))
        {
            // Stopped on made-up samples: the stand may lie a little farther.
            try2Park(ac, ac.extrapolationCount > 0);
        }
    }
}

void lf_groundSegment(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    const double gs = f.groundSpeed;
    const double next = n.groundSpeed;
    std::uint32_t throttle = 0;
    if (ac.category == kRotorcraft || gs >= 25.0 || next >= 30.0)
    {
        throttle = 4;
    }
    else if (gs >= 20.0 || next >= 25.0)
    {
        throttle = 2;
    }
    else if (gs >= 15.0 || next >= 20.0)
    {
        throttle = 1;
    }
    if (ac.touchdownMark == 0 || ac.takeOffMark != 0)
    {
        gf_setThrottle(ac, throttle);
    }
    if (ac.touchdownMark != 0)
    {
        const double change = std::fabs(lf_turn(ac.touchdownHeading, ac.course)) * kRadToDeg;
        if (change >= 15.0)
        {
            // Off the runway: the roll-out is over.
            gf_setFlaps(ac, 0);
            gf_setSpoilers(ac, false);
            lf_sendTouchdownData(ac, 0.0, 0.0);
            lf_sendLights(ac, kTaxiLights);
            ac.touchdownMark = 0;
            gf_setThrottle(ac, throttle);
        }
    }
    if (ac.takeOffMark == 0 && ac.touchdownMark == 0)
    {
        lf_decaySlack(ac);
    }
    ac.segmentVerticalSpeed = 0.0;
    ac.segmentAirspeed = next;
    ac.verticalStep = 0.0;
    if (ac.takeOffMark != 0 && next >= 43.0 && lf_atRotationSpeed(ac, ac.category))
    {
        lf_startTakeOff(ac);
        const double ticks = static_cast<double>(std::max(kShortestSegment, n.playMoment - g_clock.load()));
        ac.verticalStep = std::max(0.1, n.altitude - ac.cur.altitude) / ticks;
    }
}

void lf_nextSegment(LiveAc& ac)
{
    lf_resetCurve(ac);
    {
        PositionSample& front = ac.samples[0];
        PositionSample& next = ac.samples[1];
        if (next.onGround == 0 && lf_samePlace(next, front))
        {
            next.onGround = 1;
        }
        if (next.onGround == 0)
        {
            ac.course = gf_bearing(lf_at(front), lf_at(next));
        }
    }
    if (ac.groundMode != 0)
    {
        nextPosGround(ac);
    }
    else
    {
        lf_airStep(ac);
    }
    if (ac.samples.size() < 2)
    {
        return;
    }
    PositionSample& next = ac.samples[1];
    if (next.onGround != 0)
    {
        ac.latitudeStep = 0.0;
        ac.longitudeStep = 0.0;
        ac.motion.curveStep = 0.0;
        if (ac.touchdownMark == 0 && ac.takeOffMark == 0)
        {
            lf_decaySlack(ac);
        }
        if (ac.groundMode == 0)
        {
            ac.verticalStep = 0.0;
        }
    }
    else
    {
        const std::int64_t ticks = std::max(kShortestSegment, next.playMoment - g_clock.load());
        ac.latitudeStep = (next.latitude - ac.cur.latitude) / static_cast<double>(ticks);
        ac.longitudeStep = (next.longitude - ac.cur.longitude) / static_cast<double>(ticks);
        if (lf_curveSet(ac) && ac.situation != kSituationPushingBack)
        {
            ac.motion.curveStep = 1.0 / static_cast<double>(ticks);
        }
        if (ac.groundMode != 0)
        {
            lf_groundSegment(ac);
        }
        else
        {
            lf_airSegment(ac, ticks);
        }
    }
    ac.samples.pop_front();
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
    const AcPosition before = ac.cur;
    const std::uint32_t s = ac.situation;
    if (lf_curveSet(ac))
    {
        lf_curveTick(ac);
    }
    else
    {
        if (s == kSituationTakeOff || s == kSituationFlying || s == kSituationParked || s == kSituationBirth)
        {
            lf_airHeadingTick(ac);
        }
        else if (s == kSituationParking || ac.motion.directTurn != 0)
        {
            lf_turnTowards(ac, ac.course);
        }
        if (s != kSituationPushedBack)
        {
            ac.cur.latitude += ac.latitudeStep;
            ac.cur.longitude += ac.longitudeStep;
        }
    }
    if (s == kSituationTakeOff)
    {
        lf_takeOffTick(ac);
    }
    else
    {
        if (ac.attitudeTicks > 1)
        {
            --ac.attitudeTicks;
            ac.cur.pitch += ac.pitchStep;
            ac.cur.bank += ac.bankStep;
        }
        else if (ac.groundMode == 0)
        {
            lf_bankTick(ac);
        }
        if (ac.groundMode == 0)
        {
            const double target = ac.motion.targetAltitude;
            double alt = ac.cur.altitude + ac.verticalStep;
            if ((ac.verticalStep > 0.0 && alt > target && ac.cur.altitude <= target) ||
                (ac.verticalStep < 0.0 && alt < target && ac.cur.altitude >= target))
            {
                alt = target;
            }
            ac.aboveGround += alt - ac.cur.altitude;
            ac.cur.altitude = alt;
            lf_flare(ac);
            if (ac.landingMark != 0 && ac.staticCgHeight > 0.0 && ac.aboveGround < ac.staticCgHeight)
            {
                // Never through the runway while the simulator's report is due.
                ac.cur.altitude += ac.staticCgHeight - ac.aboveGround;
                ac.aboveGround = ac.staticCgHeight;
            }
        }
    }
    ac.cur.heading = lf_wrap(ac.cur.heading);
    ac.cur.pitch = std::clamp(ac.cur.pitch, -kPi / 2.0, kPi / 2.0);
    const AcPosition& c = ac.cur;
    if (!std::isfinite(c.latitude) || !std::isfinite(c.longitude) || !std::isfinite(c.altitude) ||
        !std::isfinite(c.heading) || !std::isfinite(c.pitch) || !std::isfinite(c.bank))
    {
        ac.cur = before;
    }
}

void gf_onTouchdown(LiveAc& ac)
{
    ac.touchdownMark = 1;
    ac.parkedDurationMark = 1;
    ac.touchdownHeading = ac.cur.heading;
    gf_setSpoilers(ac, true);
    lf_sendTouchdownData(ac, kFullPercent, ac.reverseThrust != 0 ? -kFullPercent : kFullPercent);
    const double ticks = std::max<double>(1.0, ac.noseLoweringTicks);
    ac.pitchStep = (ac.staticPitch - ac.cur.pitch) / ticks;
    ac.bankStep = (0.0 - ac.cur.bank) / ticks;
    ac.attitudeTicks = static_cast<std::int32_t>(ticks) + 1;
    gf_queuePendingInit(ac.aiKey);
    ac.groundMode = 1;
    ac.verticalStep = 0.0;
    ac.motion.landingStage = 0;
    ac.motion.bankTarget = 0.0;
    ac.situation = kSituationTaxi;
    ac.previousSituation = kSituationFlying;
}

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
    if (!lf_categoryAdmitted(ac.category))
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

void drive2Stand(LiveAc& ac, const Stand& stand)
{
    if (ac.samples.empty())
    {
        gf_log(fmt::format("{} empty sz?", "drive2Stand"));
        return;
    }
    PositionSample& newest = ac.samples.back();
    const double speed = std::max(1.0, ac.standSpeed);
    const double d = gf_distanceNm(lf_at(newest), LatLon{stand.latitude, stand.longitude});
    const std::int64_t ticks = std::max<std::int64_t>(100, lf_toTicks(d * kTicksPerHour / speed));
    const bool alreadyThere = newest.onGround != 0 && d < 0.00108;
    newest.groundSpeed = speed;
    PositionSample at = newest;
    at.latitude = stand.latitude;
    at.longitude = stand.longitude;
    at.altitude = ac.cur.altitude;
    at.groundSpeed = speed;
    at.trueAirspeed = speed;
    at.track = stand.heading * kRadToDeg;
    at.verticalRate = 0.0;
    at.airborne = 0;
    at.onGround = alreadyThere ? 1 : 0;
    at.roll = ac.cur.bank;
    at.playMoment = newest.playMoment + ticks;
    ac.samples.push_back(at);
    PositionSample still = at;
    still.groundSpeed = 0.0;
    still.trueAirspeed = 0.0;
    still.onGround = 1;
    still.playMoment = ac.samples.front().playMoment + 50 + ticks;
    if (still.playMoment <= at.playMoment)
    {
        still.playMoment = at.playMoment + 1;
    }
    ac.samples.push_back(still);
    ac.course = stand.heading;
    if (ac.extrapolationCount > 0 || ac.extrapolated != 0)
    {
        lf_endExtrapolation(ac);
        lf_wideSlack(ac, 3000);
    }
}

void lf_cargoStand(LiveAc& ac)
{
    if (ac.key.cargo == 0 || ac.standFlagCopy != 0)
    {
        return;
    }
    Stand* stand = gf_findStand(static_cast<std::int32_t>(ac.standId));
    if (stand == nullptr || stand->ramp == 0)
    {
        return;
    }
    stand->ramp = 0;
    stand->cargo = 1;
    // Saved with the learned file, and counted where the window shows it.
    stand->cargoChanged = 1;
    gf_countApfUpdate();
}

void lf_arriveAtStand(LiveAc& ac)
{
    Stand* stand = gf_findStand(static_cast<std::int32_t>(ac.standId));
    if (stand == nullptr)
    {
        lf_setSituation(ac, kSituationTaxi);
        return;
    }
    if (stand->occupied != 0)
    {
        // Another aircraft parked there first and keeps the stand and its
        // flag: this one lets go of the stand before it goes.
        ac.standId = 0;
        ac.standFlagCopy = 0;
        ac.extrapolationCount = 1;
        removeAircraftFromSim(ac);
        return;
    }
    if (gf_distanceNm(lf_here(ac), LatLon{stand->latitude, stand->longitude}) > 0.00108)
    {
        lf_setSituation(ac, kSituationTaxi);
        return;
    }
    lf_setSituation(ac, kSituationParked);
    ac.parkedSince = g_weekdayHour.load();
    stand->occupied = 1;
    if (ac.towedMark != 0)
    {
        gf_log(fmt::format("          towed aircraft {} parks", ac.callsign));
    }
    // A short last segment cannot finish a wide turn: it stands straight.
    ac.cur.heading = lf_wrap(stand->heading);
    ac.heading = ac.cur.heading;
    ac.latitude = stand->latitude;
    ac.longitude = stand->longitude;
    if (!ac.samples.empty())
    {
        ac.samples.front().onGround = 1;
        ac.samples.front().groundSpeed = 0.0;
    }
    ac.latitudeStep = 0.0;
    ac.longitudeStep = 0.0;
    ac.parkedTime = gf_loopClock().now().time_since_epoch().count();
    ac.reportedAtStand = 0;
    ac.pullOutWatching = 0;
    ac.pullOutSteps = 0;
    lf_cargoStand(ac);
    gf_setParkedConfig(ac);
    gf_log(fmt::format("{:8}: {:8} arrived at stand", stand->name, ac.callsign));
    gf_queuePendingInit(ac.aiKey);
    lf_addRealStandOption(static_cast<std::int32_t>(ac.standId), ac, 0);
    gf_checkMaxPark(0);
}

} // namespace ovr
