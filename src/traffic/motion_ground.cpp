#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include <fmt/format.h>

#include "airports/apf_updates.h"
#include "airports/park_airport.h"
#include "airports/stand_learning.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "simlink/sim_queues.h"
#include "traffic/live_lists.h"
#include "traffic/live_parking.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

constexpr double kHeadingTolerance = 1e-4; // radians
constexpr double kStraightEnough = 3.0 * kDegToRad;
constexpr double kLeastCurveMetres = 2.0;
constexpr double kLongestLeadMetres = 60.0;
constexpr double kMetresPerNm = 1852.0;
// Radians a tick: 20 degrees a second.
constexpr double kQuickestGroundTurn = 0.2 * kDegToRad;

// Off-frame for the curve: north and east metres of `p` from `origin`.
void lf_offset(LatLon origin, LatLon p, double& north, double& east)
{
    north = (p.lat - origin.lat) * kMetresPerDegreeLat;
    east = (p.lon - origin.lon) * kMetresPerDegreeLat * std::cos(origin.lat * kDegToRad);
}

// The control point of a turn that leaves `here` along the nose and, where
// the geometry allows, arrives at `end` along `endHeading`: where the two
// lines meet. NaN when they do not meet ahead of both ends.
LatLon lf_meetingPoint(LatLon here, double nose, LatLon end, double endHeading)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    double north = 0.0;
    double east = 0.0;
    lf_offset(here, end, north, east);
    const double d = std::hypot(north, east);
    const double nx = std::sin(nose);
    const double ny = std::cos(nose);
    const double sx = std::sin(endHeading);
    const double sy = std::cos(endHeading);
    const double det = nx * sy - ny * sx;
    if (d <= 0.0 || std::fabs(det) < 1e-3)
    {
        return LatLon{kNaN, kNaN};
    }
    // here + a * nose = end - b * endHeading.
    const double a = (east * sy - north * sx) / det;
    const double b = (nx * north - ny * east) / det;
    if (a < 0.1 * d || b < 0.1 * d || a > 2.0 * d || b > 2.0 * d)
    {
        return LatLon{kNaN, kNaN};
    }
    return gf_destinationPoint(here, nose, a / kMetresPerNm * kFeetPerNm);
}

// A turn on the ground is rolled: the path leaves along the nose and, into
// a stand, arrives along the stand's heading, so that the nose follows the
// direction of travel instead of sliding round at the turn step.
void lf_turnOnTheMove(LiveAc& ac)
{
    const PositionSample& n = ac.samples[1];
    const LatLon here = lf_here(ac);
    ac.course = gf_bearing(here, lf_at(n));
    const double turn = std::fabs(lf_turn(ac.cur.heading, ac.course));
    const double metres = gf_distanceNm(here, lf_at(n)) * kMetresPerNm;
    ac.motion.directTurn = 0;
    const bool intoStand = ac.situation == kSituationParking && ac.standId != 0 &&
                           std::fabs(n.latitude - ac.latitude) < kSamePositionDeg &&
                           std::fabs(n.longitude - ac.longitude) < kSamePositionDeg;
    if (metres < kLeastCurveMetres)
    {
        ac.motion.directTurn = turn > kStraightEnough ? 1 : 0;
        return;
    }
    const double lead = std::min(metres / 2.0, kLongestLeadMetres) / kMetresPerNm * kFeetPerNm;
    if (intoStand && std::fabs(lf_turn(ac.course, ac.heading)) > kStraightEnough)
    {
        LatLon control = lf_meetingPoint(here, ac.cur.heading, lf_at(n), ac.heading);
        if (std::isnan(control.lat))
        {
            // No single bend joins the nose to the stand's heading: arrive
            // along it, turning onto the path on the first metres.
            control = gf_destinationPoint(lf_at(n), lf_wrap(ac.heading + kPi), lead);
        }
        lf_curveVia(ac, control, lf_at(n));
        const double leaving = gf_bearing(here, control);
        ac.motion.turnAngle = (std::fabs(lf_turn(ac.cur.heading, leaving)) + std::fabs(lf_turn(leaving, ac.heading))) *
                              kRadToDeg;
        return;
    }
    if (turn > kStraightEnough)
    {
        lf_curveVia(ac, gf_destinationPoint(here, ac.cur.heading, lead), lf_at(n));
        ac.motion.turnAngle = turn * kRadToDeg;
    }
}

void lf_pushbackStep(LiveAc& ac)
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
            lf_curveVia(ac, corner, end);
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

} // namespace

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
    // Rolling, forward or pushed back, the nose is the path's tangent: a
    // turn step behind the path would slide the aircraft sideways through
    // the turn. A path that did not leave along the nose is caught up with
    // at a quick but finite rate, not in one jump.
    const double off = lf_turn(ac.cur.heading, tangent);
    if (m.onTangent != 0 || std::fabs(off) <= kQuickestGroundTurn)
    {
        ac.cur.heading = tangent;
        m.onTangent = 1;
    }
    else
    {
        ac.cur.heading += off > 0.0 ? kQuickestGroundTurn : -kQuickestGroundTurn;
    }
}

void lf_setupCurve(LiveAc& ac)
{
    PositionSample& c = ac.samples[1];
    PositionSample& e = ac.samples[2];
    // The curve rounds the corner at `c` but leaves along the nose: its
    // control point is where the nose's line comes nearest `c`.
    const LatLon here = lf_here(ac);
    double north = 0.0;
    double east = 0.0;
    lf_offset(here, lf_at(c), north, east);
    const double toCorner = std::hypot(north, east);
    const double along = east * std::sin(ac.cur.heading) + north * std::cos(ac.cur.heading);
    const double lead = std::clamp(along, 0.25 * toCorner, toCorner);
    const LatLon control = toCorner > 0.0 ? gf_destinationPoint(here, ac.cur.heading, lead / kMetresPerNm * kFeetPerNm)
                                          : lf_at(c);
    lf_curveVia(ac, control, lf_at(e));
    if (e.groundSpeed == 0.0)
    {
        e.groundSpeed = (ac.samples[0].groundSpeed + c.groundSpeed) / 2.0;
    }
    ac.samples.erase(ac.samples.begin() + 1);
}

void lf_curveVia(LiveAc& ac, LatLon control, LatLon end)
{
    MotionState& m = ac.motion;
    const LatLon start = lf_here(ac);
    m.curve.originLat = start.lat;
    m.curve.originLon = start.lon;
    m.curve.startTime = 0.0;
    m.curve.endTime = 1.0;
    lf_offset(start, control, m.curve.controlNorth, m.curve.controlEast);
    lf_offset(start, end, m.curve.endNorth, m.curve.endEast);
    m.curveU = 0.0;
    const double leaving = gf_bearing(start, control) + (ac.situation == kSituationPushingBack ? kPi : 0.0);
    m.onTangent = std::fabs(lf_turn(ac.cur.heading, leaving)) <= kStraightEnough ? 1 : 0;
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
        // Rolling, as in cruise: met sample by sample, the play moments'
        // jitter had a landing airliner brake from 73 to 36 m/s, run on at
        // 90 and stop dead from 35.
        const double speed = lf_steadySpeed(ac, lf_easedSpeed(ac), d);
        const std::int64_t t = std::max(lf_toTicks(d * kTicksPerHour / speed), kShortestSegment);
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
        lf_noteSegmentSpeed(ac, d);
        return;
    }
    ac.motion.segmentSpeedKt = 0.0;
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
        lf_turnOnTheMove(ac);
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
            if (ac.situation == kSituationParking && ac.samples.size() >= 2 && ac.samples[1].onGround == 0)
            {
                // The way now leads into the stand: the turn planned to the
                // sample the stand replaced would end beside it.
                lf_resetCurve(ac);
                lf_turnOnTheMove(ac);
                lf_groundTiming(ac);
            }
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
