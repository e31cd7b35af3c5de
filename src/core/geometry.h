// Positions on a spherical earth on which one nautical mile is one minute of
// arc. Positions are degrees; distances nautical miles (feet for the
// destination point); bearings and headings radians.
#pragma once

namespace ovr
{

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;
// 10800 / pi: 360 x 60 minutes of arc over 2 pi.
inline constexpr double kEarthRadiusNm = 3437.746770784939;
inline constexpr double kFeetPerNm = 6076.11549;
inline constexpr double kMetresPerDegreeLat = 111132.95;

struct LatLon
{
    double lat = 0.0; // degrees, north positive
    double lon = 0.0; // degrees, east positive
};

// A quadratic Bezier curve from the origin (offset 0, 0) through the control
// point to the end point, in a flat north/east frame in metres around the
// origin; the live-aircraft motion follows it between two samples. The two
// times are in the unit of the time asked for.
struct CurveRecord
{
    double originLat = 0.0;
    double originLon = 0.0;
    double startTime = 0.0;
    double endNorth = 0.0;
    double endEast = 0.0;
    double endTime = 0.0;
    double controlEast = 0.0;
    double controlNorth = 0.0;
};

// Great-circle (haversine) distance in nautical miles.
double gf_distanceNm(LatLon a, LatLon b);
// Initial true bearing from `from` to `to` in radians, in [0, 2 pi).
double gf_bearing(LatLon from, LatLon to);
// The position reached from `from` along a bearing (radians) after a distance
// in feet; the longitude stays within [-180, 180].
LatLon gf_destinationPoint(LatLon from, double bearing, double distanceFeet);
// Position and heading (radians, clockwise from true north) at time t; false
// when t lies outside the curve's times, the curve has no duration or its
// control point is unknown.
bool gf_pointOnCurve(const CurveRecord& curve, double t, LatLon& position, double& heading);

} // namespace ovr
