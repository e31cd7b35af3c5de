// One aircraft's movement as a chain of straight legs, constant-radius turns
// and stops, laid out in the airport's east/north frame. Along a leg the
// speed changes at a constant rate and the altitude with the distance flown,
// which is how an approach or a climb-out looks on a traffic feed; the state
// at any moment follows from the chain alone, so the generator can ask for
// the same moment twice and get the same answer.
#pragma once

#include "fake-rt/geo.h"

#include <vector>

namespace ovr::fakert
{

struct PathState
{
    EastNorth pos;
    double altitudeFt = 0.0; // true altitude above sea level
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalRateFpm = 0.0;
    double rollDeg = 0.0; // right wing down positive
    bool onGround = false;
};

class FlightPath
{
  public:
    FlightPath(EastNorth start, double headingDeg, double altitudeFt, double speedKt, bool onGround);

    // Legs from the end of the chain; speeds in knots, altitudes in feet.
    FlightPath& straight(double lengthM, double altitudeToFt, double speedToKt);
    FlightPath& to(EastNorth target, double altitudeToFt, double speedToKt);
    // Positive angles turn right.
    FlightPath& turn(double radiusM, double angleDeg, double altitudeToFt, double speedToKt);
    FlightPath& stop(double seconds);
    // Turns on the spot, as an aircraft lining up on a runway.
    FlightPath& face(double headingDeg);
    // Whether the legs that follow roll on the ground.
    FlightPath& onGround(bool ground);

    double duration() const { return m_duration; }
    // t is clamped to [0, duration].
    PathState at(double t) const;

    EastNorth endPosition() const { return m_pos; }
    double endHeading() const { return m_heading; }
    double endAltitude() const { return m_altitude; }
    double endSpeedKt() const { return m_speed / kMetresPerSecondPerKnot; }

  private:
    enum class Kind
    {
        Line,
        Arc,
        Stop
    };

    struct Leg
    {
        Kind kind = Kind::Line;
        EastNorth start;
        double heading = 0.0;
        double length = 0.0;
        double radius = 0.0;
        double direction = 1.0; // +1 right, -1 left
        double alt0 = 0.0;
        double alt1 = 0.0;
        double v0 = 0.0; // m/s
        double v1 = 0.0;
        double t0 = 0.0;
        double duration = 0.0;
        bool ground = false;
    };

    // A leg from the end of the chain.
    Leg next(Kind kind, double altitudeToFt, double speedToKt) const;
    void add(Leg leg);
    PathState evaluate(const Leg& leg, double tau) const;

    std::vector<Leg> m_legs;
    EastNorth m_pos;
    double m_heading;
    double m_altitude;
    double m_speed; // m/s
    bool m_ground;
    double m_duration = 0.0;
};

} // namespace ovr::fakert
