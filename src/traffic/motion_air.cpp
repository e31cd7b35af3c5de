#include "traffic/motion_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/loop_clock.h"
#include "service/qnh.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

constexpr double kNearGroundFt = 1000.0;
constexpr double kLeastNearGroundStep = 0.2;
constexpr double kSteepestDescentStep = 1.0; // feet per tick: 6000 ft/min
constexpr double kPitchEaseStep = 0.01 * kDegToRad; // per tick: a degree a second
constexpr double kGravity = 9.80665;       // m/s^2
constexpr double kMetresPerSecondPerKnot = 0.514444;

constexpr std::array<double, 6> kBankRateDeg{0.035, 0.0275, 0.02, 0.015, 0.1, 0.06};
constexpr std::array<double, 6> kBankOutRateDeg{0.01, 0.0085, 0.0075, 0.005, 0.03, 0.03};

} // namespace

double gf_pitchForRate(double fpm)
{
    const double v = fpm >= 0.0 ? std::min(fpm, 2400.0) : std::max(fpm, -3000.0) / 2.0;
    return (-3.0 - v / 600.0 * 2.2) * kDegToRad;
}

void lf_pitchTick(LiveAc& ac, double fpm)
{
    const double d = gf_pitchForRate(fpm) - ac.cur.pitch;
    ac.cur.pitch += std::clamp(d, -kPitchEaseStep, kPitchEaseStep);
}

double gf_climbRateFpm(const LiveAc& ac)
{
    if (ac.samples.empty())
    {
        return 0.0;
    }
    const PositionSample& newest = ac.samples.back();
    if (newest.verticalRate != 0.0)
    {
        return newest.verticalRate;
    }
    // The feed gave no rate: the altitude of the newest sample and its time
    // tell it; a sample on the ground lies at the wheels.
    const double to = newest.airborne != 0 ? newest.altitude
                                           : ac.cur.altitude - std::max(0.0, ac.aboveGround - ac.staticCgHeight);
    const std::int64_t ticks = std::max(kShortestSegment, newest.playMoment - g_clock.load());
    return (to - ac.cur.altitude) / static_cast<double>(ticks) * 6000.0;
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

void lf_airStep(LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    if (n.onGround != 0)
    {
        ac.motion.segmentSpeedKt = 0.0;
        if (ac.category == kRotorcraft)
        {
            lf_groundTiming(ac);
        }
        return;
    }
    const double d = gf_distanceNm(lf_at(f), lf_at(n));
    double speed = 0.0;
    if (ac.landingMark != 0 && n.airborne == 0)
    {
        speed = f.groundSpeed > 0.0 ? f.groundSpeed : 100.0;
    }
    else if (ac.situation == kSituationFlying && ac.landingMark == 0)
    {
        // The samples' play moments jitter by a second or two from one reply
        // to the next, and the first request's snapshots sit a few seconds off
        // the live ones: met segment by segment, they had an airliner surge
        // between 200 and 600 kt at cruise. In flight the speed changes as an
        // aircraft's can, and the slack of the play moments takes up the rest.
        speed = lf_steadySpeed(ac, lf_easedSpeed(ac), d);
    }
    else
    {
        speed = lf_segmentSpeed(ac);
    }
    const std::int64_t ticks = lf_toTicks(d * kTicksPerHour / std::max(1.0, speed));
    lf_retimeNext(ac, std::max(ticks, kShortestSegment));
    lf_noteSegmentSpeed(ac, d);
}

void lf_airSegment(LiveAc& ac, std::int64_t ticks)
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
        // The altitude still to lose over the time to the next sample: down
        // to that sample, or to the wheels when it is on the ground, where
        // the reported rate is a floor (a feed without rates gives none).
        double step = 0.0;
        if (n.airborne != 0)
        {
            step = (n.altitude - ac.cur.altitude) / t;
        }
        else
        {
            const double toWheels = std::max(0.0, ac.aboveGround - ac.staticCgHeight);
            step = std::min(lf_descentRate(ac) / 6000.0, -toWheels / t);
        }
        ac.verticalStep = std::clamp(step, -kSteepestDescentStep, 0.0);
        // Towards the ground the landing goes on until the simulator reports it.
        ac.motion.targetAltitude = n.airborne != 0 && ac.landingMark == 0
                                       ? n.altitude
                                       : -std::numeric_limits<double>::infinity();
    }
    if (n.verticalRate == 0.0)
    {
        ac.segmentVerticalSpeed = ac.verticalStep * 6000.0;
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

} // namespace ovr
