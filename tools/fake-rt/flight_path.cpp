#include "fake-rt/flight_path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovr::fakert
{

namespace
{

constexpr double kGravity = 9.80665;
constexpr double kRad = std::numbers::pi / 180.0;
// A leg that starts and ends at standstill still has to take some time.
constexpr double kCreepSpeed = 1.0;

EastNorth offset(EastNorth p, double bearing, double distance)
{
    const EastNorth u = unitVector(bearing);
    return {p.x + u.x * distance, p.y + u.y * distance};
}

double wrap360(double deg)
{
    double d = std::fmod(deg, 360.0);
    return d < 0.0 ? d + 360.0 : d;
}

} // namespace

FlightPath::FlightPath(EastNorth start, double headingDeg, double altitudeFt, double speedKt, bool ground)
    : m_pos(start), m_heading(wrap360(headingDeg)), m_altitude(altitudeFt),
      m_speed(speedKt * kMetresPerSecondPerKnot), m_ground(ground)
{
}

void FlightPath::add(Leg leg)
{
    leg.t0 = m_duration;
    leg.ground = m_ground;
    if (leg.kind != Kind::Stop)
    {
        const double mean = std::max((leg.v0 + leg.v1) / 2.0, kCreepSpeed);
        leg.duration = leg.length / mean;
    }
    m_duration += leg.duration;
    m_legs.push_back(leg);
    const PathState end = evaluate(leg, leg.duration);
    m_pos = end.pos;
    m_heading = end.trackDeg;
    m_altitude = leg.alt1;
    m_speed = leg.v1;
}

FlightPath::Leg FlightPath::next(Kind kind, double altitudeToFt, double speedToKt) const
{
    Leg leg;
    leg.kind = kind;
    leg.start = m_pos;
    leg.heading = m_heading;
    leg.alt0 = m_altitude;
    leg.alt1 = altitudeToFt;
    leg.v0 = m_speed;
    leg.v1 = speedToKt * kMetresPerSecondPerKnot;
    return leg;
}

FlightPath& FlightPath::straight(double lengthM, double altitudeToFt, double speedToKt)
{
    Leg leg = next(Kind::Line, altitudeToFt, speedToKt);
    leg.length = std::max(lengthM, 0.0);
    add(leg);
    return *this;
}

FlightPath& FlightPath::to(EastNorth target, double altitudeToFt, double speedToKt)
{
    const double d = distanceOf(m_pos, target);
    if (d > 0.01)
    {
        m_heading = bearingOf(m_pos, target);
    }
    return straight(d, altitudeToFt, speedToKt);
}

FlightPath& FlightPath::turn(double radiusM, double angleDeg, double altitudeToFt, double speedToKt)
{
    Leg leg = next(Kind::Arc, altitudeToFt, speedToKt);
    leg.radius = std::max(radiusM, 1.0);
    leg.direction = angleDeg >= 0.0 ? 1.0 : -1.0;
    leg.length = leg.radius * std::fabs(angleDeg) * kRad;
    add(leg);
    return *this;
}

FlightPath& FlightPath::stop(double seconds)
{
    Leg leg = next(Kind::Stop, m_altitude, 0.0);
    leg.duration = std::max(seconds, 0.0);
    add(leg);
    return *this;
}

FlightPath& FlightPath::face(double headingDeg)
{
    m_heading = wrap360(headingDeg);
    return *this;
}

FlightPath& FlightPath::onGround(bool ground)
{
    m_ground = ground;
    return *this;
}

PathState FlightPath::evaluate(const Leg& leg, double tau) const
{
    PathState s;
    s.onGround = leg.ground;
    s.trackDeg = leg.heading;
    s.pos = leg.start;
    s.altitudeFt = leg.alt0;
    if (leg.kind == Kind::Stop || leg.duration <= 0.0)
    {
        if (leg.kind != Kind::Stop)
        {
            s.altitudeFt = leg.alt1;
        }
        return s;
    }
    tau = std::clamp(tau, 0.0, leg.duration);
    double v = kCreepSpeed;
    double dist = leg.length * tau / leg.duration;
    if ((leg.v0 + leg.v1) / 2.0 >= kCreepSpeed)
    {
        const double accel = (leg.v1 - leg.v0) / leg.duration;
        v = leg.v0 + accel * tau;
        dist = std::min(leg.v0 * tau + accel * tau * tau / 2.0, leg.length);
    }
    const double frac = leg.length > 0.0 ? dist / leg.length : 1.0;
    s.groundSpeedKt = v / kMetresPerSecondPerKnot;
    s.altitudeFt = leg.alt0 + (leg.alt1 - leg.alt0) * frac;
    if (leg.length > 0.0)
    {
        s.verticalRateFpm = (leg.alt1 - leg.alt0) / leg.length * v * 60.0;
    }
    if (leg.kind == Kind::Line)
    {
        s.pos = offset(leg.start, leg.heading, dist);
        return s;
    }
    const double swept = dist / leg.radius / kRad;
    const EastNorth centre = offset(leg.start, leg.heading + 90.0 * leg.direction, leg.radius);
    s.trackDeg = wrap360(leg.heading + swept * leg.direction);
    s.pos = offset(centre, s.trackDeg - 90.0 * leg.direction, leg.radius);
    if (!leg.ground)
    {
        s.rollDeg = leg.direction * std::atan(v * v / (kGravity * leg.radius)) / kRad;
    }
    return s;
}

PathState FlightPath::at(double t) const
{
    if (m_legs.empty())
    {
        PathState s;
        s.pos = m_pos;
        s.trackDeg = m_heading;
        s.altitudeFt = m_altitude;
        s.onGround = m_ground;
        return s;
    }
    t = std::clamp(t, 0.0, m_duration);
    for (const Leg& leg : m_legs)
    {
        if (t <= leg.t0 + leg.duration)
        {
            return evaluate(leg, t - leg.t0);
        }
    }
    const Leg& last = m_legs.back();
    return evaluate(last, last.duration);
}

} // namespace ovr::fakert
