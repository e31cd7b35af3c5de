// Positions for the fake service: great-circle distances for station and box
// look-ups, and a flat east/north frame around the scenario airport in which
// the generator lays out its flight paths (within 100 NM the flattening
// error stays far below what a traffic display shows).
#pragma once

namespace ovr::fakert
{

struct LatLon
{
    double lat = 0.0;
    double lon = 0.0;
};

struct EastNorth
{
    double x = 0.0; // metres east
    double y = 0.0; // metres north
};

inline constexpr double kMetresPerNm = 1852.0;
inline constexpr double kFeetPerMetre = 3.280839895;
inline constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

double distanceNm(LatLon a, LatLon b);
// Initial true bearing from a to b, 0 <= result < 360.
double bearingDeg(LatLon a, LatLon b);

// Unit vector of a true bearing in the east/north frame.
EastNorth unitVector(double bearingDeg);
// Bearing of the vector from a to b, 0 <= result < 360.
double bearingOf(EastNorth a, EastNorth b);
double distanceOf(EastNorth a, EastNorth b);
// Degrees into (0, 360].
double normaliseHeading(double deg);

class LocalFrame
{
  public:
    explicit LocalFrame(LatLon origin);

    EastNorth toLocal(LatLon p) const;
    LatLon toLatLon(EastNorth p) const;
    LatLon origin() const { return m_origin; }

  private:
    LatLon m_origin;
    double m_metresPerDegLat;
    double m_metresPerDegLon;
};

// A query box as the service takes it: top and bottom latitudes, left and
// right longitudes (left above right crosses the antimeridian).
struct Box
{
    double top = 0.0;
    double bottom = 0.0;
    double left = 0.0;
    double right = 0.0;

    bool contains(LatLon p) const;
    LatLon centre() const;
};

} // namespace ovr::fakert
