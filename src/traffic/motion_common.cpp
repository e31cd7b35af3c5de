#include "traffic/motion_common.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/loop_clock.h"
#include "traffic/motion_model.h"

namespace ovr
{

namespace
{

constexpr std::int32_t kSlackFloor = 1000;
constexpr std::int32_t kSlackDecay = 100;
// Reported speeds this far from distance over time are not the segment's.
constexpr double kSpeedsDisagree = 1.5;
constexpr double kMostCatchUp = 1.25;
// In cruise and rolling on the ground a lead or lag on the play moments is
// made up over this time, at no less than this share of the aircraft's own
// speed.
constexpr double kCatchUpHorizonS = 45.0;
constexpr double kLeastCruiseShare = 0.75;
// How fast an aircraft may gain or lose speed over the ground from one
// segment to the next: an airliner's take-off run or braking, or its level
// acceleration in flight with some room for the wind.
constexpr double kMostAccelerationKtPerS = 5.0;
// A segment that begins within this of the last one's end goes on from its
// speed.
constexpr std::int64_t kSegmentsJoinTicks = 200;
// Catching up never takes an aircraft past this over the ground, unless
// its samples themselves fly faster: beyond it a cruising airliner would
// go supersonic.
constexpr double kFastestCatchUpKt = 600.0;
// A reported speed this far from the samples' own distance over time is
// not the segment's; over a shorter span the whole seconds of the data
// times make that speed too rough to judge by.
constexpr double kOwnTimesDisagree = 1.1;
constexpr double kLeastOwnSpanS = 10.0;

constexpr std::array<double, 6> kRotationSpeedKt{90, 110, 140, 150, 220, 0};
constexpr std::array<double, 6> kMaxBankDeg{40, 35, 30, 20, 90, 75};

} // namespace

std::size_t lf_cat(std::uint32_t category)
{
    return std::min<std::size_t>(category, kRotationSpeedKt.size() - 1);
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
    // Nearly every heading is in range already, where fmod would return it
    // unchanged; the library call was a third of an aircraft's motion step.
    if (heading >= 0.0 && heading < kTwoPi - 1e-12)
    {
        return heading;
    }
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
    // Within half a turn the remainder is the difference itself (a tie
    // rounds to the even quotient, 0); only wider ones need the call.
    const double d = to - from;
    if (std::fabs(d) <= kTwoPi * 0.5)
    {
        return d;
    }
    return std::remainder(d, kTwoPi);
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
    ac.motion.flareTicksLeft = 0;
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
std::int64_t lf_toTicks(double value)
{
    if (!(std::fabs(value) < static_cast<double>(std::numeric_limits<std::int32_t>::max())))
    {
        throw std::overflow_error("narrowing error");
    }
    return std::llround(value);
}

double gf_rotationSpeedKt(std::uint32_t category)
{
    return kRotationSpeedKt[lf_cat(category)];
}

double gf_maxBankDeg(std::uint32_t category)
{
    return kMaxBankDeg[lf_cat(category)];
}

namespace
{

// Distance over the time between the samples' data times, which no retiming
// touches; 0 when either was made up by the motion or the span is too short.
double lf_ownSpeed(const PositionSample& f, const PositionSample& n, double nm)
{
    if (f.feedTime <= 0.0 || n.feedTime <= 0.0 || f.airborne == 0 || n.airborne == 0)
    {
        return 0.0;
    }
    const double seconds = n.feedTime - f.feedTime;
    return seconds >= kLeastOwnSpanS ? nm * 3600.0 / seconds : 0.0;
}

} // namespace

double lf_segmentSpeed(const LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    const double d = gf_distanceNm(lf_at(f), lf_at(n));
    // What reaching the next sample at its own time asks for.
    const double due = static_cast<double>(std::max(kShortestSegment, n.playMoment - g_clock.load()));
    const double implied = std::max(1.0, d * kTicksPerHour / due);
    // The distance is over the ground: timing it with the airspeed would put
    // the aircraft ahead of or behind its samples by the wind.
    double reported = 0.0;
    if (f.groundSpeed > 0.0 && n.groundSpeed > 0.0)
    {
        reported = (f.groundSpeed + n.groundSpeed) / 2.0;
    }
    else if (f.trueAirspeed != 0.0 || n.trueAirspeed != 0.0)
    {
        // A roll from standstill, or speeds the feed did not give: the
        // decoder's table airspeed is no speed over the ground.
        return implied;
    }
    else
    {
        const double dt = std::max<double>(kShortestSegment, static_cast<double>(n.playMoment - f.playMoment));
        return std::max(1.0, d * kTicksPerHour / dt);
    }
    // Flown at a reported speed below what the samples cover in their own
    // time, the aircraft falls further behind with every segment, and a
    // catch-up measured from that speed never makes up for it.
    const double own = lf_ownSpeed(f, n, d);
    const bool disagree = own > 0.0 && (own > reported * kOwnTimesDisagree || reported > own * kOwnTimesDisagree);
    const double speed = disagree ? own : reported;
    // The samples' times win within reason: a speed a little below what the
    // play moments ask for, flown segment after segment, leaves the aircraft
    // further behind with each one. Far too fast for the times the speeds
    // are not the segment's, and a lead is given back at once; a little too
    // fast is left alone, as the play moments jitter by a second or two.
    if (speed < implied)
    {
        return std::min(implied, std::max(speed, std::min(speed * kMostCatchUp, kFastestCatchUpKt)));
    }
    return speed > kSpeedsDisagree * implied ? implied : speed;
}

double lf_easedSpeed(const LiveAc& ac)
{
    const PositionSample& f = ac.samples[0];
    const PositionSample& n = ac.samples[1];
    const double d = gf_distanceNm(lf_at(f), lf_at(n));
    // The aircraft's own speed: the samples' data times when they are far
    // enough apart, else the speed the feed reported.
    double own = lf_ownSpeed(f, n, d);
    if (own <= 0.0 && f.groundSpeed > 0.0 && n.groundSpeed > 0.0)
    {
        own = (f.groundSpeed + n.groundSpeed) / 2.0;
    }
    if (own <= 0.0 || d <= 0.0)
    {
        return lf_segmentSpeed(ac);
    }
    // Early (positive) or late to the next sample's play moment at that
    // speed, in seconds; made up over the horizon, not within the segment.
    const double due = static_cast<double>(std::max(kShortestSegment, n.playMoment - g_clock.load())) / 100.0;
    const double early = due - d / own * 3600.0;
    const double speed = own * kCatchUpHorizonS / std::max(kCatchUpHorizonS + early, kCatchUpHorizonS / 2.0);
    return std::clamp(speed, own * kLeastCruiseShare, std::max(own, std::min(own * kMostCatchUp, kFastestCatchUpKt)));
}

double lf_steadySpeed(const LiveAc& ac, double speed, double nm)
{
    const double before = ac.motion.segmentSpeedKt;
    // A segment that ended a while ago says nothing about the speed now.
    if (before <= 0.0 || nm <= 0.0 || g_clock.load() > ac.motion.segmentEnd + kSegmentsJoinTicks)
        return speed;
    const double most = kMostAccelerationKtPerS * nm / before * 3600.0;
    return std::clamp(speed, std::max(1.0, before - most), before + most);
}

void lf_noteSegmentSpeed(LiveAc& ac, double nm)
{
    const std::int64_t now = g_clock.load();
    const std::int64_t end = std::max(now + kShortestSegment, ac.samples[1].playMoment);
    ac.motion.segmentSpeedKt = std::max(1.0, nm * kTicksPerHour / static_cast<double>(end - now));
    ac.motion.segmentEnd = end;
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

} // namespace ovr
