#include "core/geometry.h"

#include <cmath>

namespace ovr
{

namespace
{

// One foot as radians of arc: 1 / (R x feet per nautical mile).
constexpr double kRadiansPerFoot = 4.787404208238998e-8;
constexpr double kTwoEarthRadii = 6875.493541569878;
constexpr double kTwoPi = 2.0 * kPi;

} // namespace

double gf_distanceNm(LatLon a, LatLon b)
{
    double latA = a.lat * kDegToRad;
    double latB = b.lat * kDegToRad;
    double sinHalfDLat = std::sin((latB - latA) / 2.0);
    double sinHalfDLon = std::sin((b.lon - a.lon) * kDegToRad / 2.0);
    double h = sinHalfDLat * sinHalfDLat + std::cos(latB) * std::cos(latA) * sinHalfDLon * sinHalfDLon;
    return std::atan2(std::sqrt(h), std::sqrt(1.0 - h)) * kTwoEarthRadii;
}

double gf_bearing(LatLon from, LatLon to)
{
    double lat1 = from.lat * kDegToRad;
    double lat2 = to.lat * kDegToRad;
    double dLon = (to.lon - from.lon) * kDegToRad;
    double y = std::sin(dLon) * std::cos(lat2);
    double x = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon);
    double b = std::atan2(y, x);
    if (b < 0.0)
        b += kTwoPi;
    return b;
}

LatLon gf_destinationPoint(LatLon from, double bearing, double distanceFeet)
{
    double lat1 = from.lat * kDegToRad;
    double lon1 = from.lon * kDegToRad;
    double delta = distanceFeet * kRadiansPerFoot;
    double lat2 =
        std::asin(std::sin(lat1) * std::cos(delta) + std::cos(lat1) * std::sin(delta) * std::cos(bearing));
    double lon2 = lon1 + std::atan2(std::sin(bearing) * std::sin(delta) * std::cos(lat1),
                                    std::cos(delta) - std::sin(lat1) * std::sin(lat2));
    lon2 = std::remainder(lon2, kTwoPi);
    return {lat2 * kRadToDeg, lon2 * kRadToDeg};
}

bool gf_pointOnCurve(const CurveRecord& curve, double t, LatLon& position, double& heading)
{
    if (std::isnan(curve.controlEast) || std::isnan(curve.controlNorth))
        return false;
    // A curve without duration gives no point (its parameter would be NaN).
    if (!(curve.endTime > curve.startTime))
        return false;
    // Written as a positive test so that a time that is not a number fails too.
    if (!(t >= curve.startTime && t <= curve.endTime))
        return false;
    double u = (t - curve.startTime) / (curve.endTime - curve.startTime);
    if (u < 0.0 || u > 1.0)
        return false;

    double dEast = 2.0 * u * (curve.endEast - curve.controlEast) + 2.0 * (1.0 - u) * curve.controlEast;
    double dNorth = 2.0 * u * (curve.endNorth - curve.controlNorth) + 2.0 * (1.0 - u) * curve.controlNorth;
    double east = 2.0 * u * (1.0 - u) * curve.controlEast + u * u * curve.endEast;
    double north = 2.0 * u * (1.0 - u) * curve.controlNorth + u * u * curve.endNorth;

    position.lat = curve.originLat + north / kMetresPerDegreeLat;
    position.lon = curve.originLon + east / (kMetresPerDegreeLat * std::cos(curve.originLat * kDegToRad));

    double h = std::atan2(dEast, dNorth);
    if (h < 0.0)
        h += kTwoPi;
    if (h > kTwoPi)
        h -= kTwoPi;
    heading = h;
    return true;
}

} // namespace ovr
