#include "fake-rt/geo.h"

#include <cmath>
#include <numbers>

namespace ovr::fakert
{

namespace
{

constexpr double kEarthRadiusM = 6371008.8;
constexpr double kDeg = std::numbers::pi / 180.0;

double wrap360(double deg)
{
    double d = std::fmod(deg, 360.0);
    if (d < 0.0)
    {
        d += 360.0;
    }
    return d;
}

} // namespace

double distanceNm(LatLon a, LatLon b)
{
    const double dLat = (b.lat - a.lat) * kDeg;
    const double dLon = (b.lon - a.lon) * kDeg;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(a.lat * kDeg) *
                                                                   std::cos(b.lat * kDeg) *
                                                                   std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(h))) / kMetresPerNm;
}

double bearingDeg(LatLon a, LatLon b)
{
    const double dLon = (b.lon - a.lon) * kDeg;
    const double y = std::sin(dLon) * std::cos(b.lat * kDeg);
    const double x = std::cos(a.lat * kDeg) * std::sin(b.lat * kDeg) -
                     std::sin(a.lat * kDeg) * std::cos(b.lat * kDeg) * std::cos(dLon);
    return wrap360(std::atan2(y, x) / kDeg);
}

EastNorth unitVector(double bearing)
{
    return {std::sin(bearing * kDeg), std::cos(bearing * kDeg)};
}

double bearingOf(EastNorth a, EastNorth b)
{
    return wrap360(std::atan2(b.x - a.x, b.y - a.y) / kDeg);
}

double distanceOf(EastNorth a, EastNorth b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

double normaliseHeading(double deg)
{
    const double d = wrap360(deg);
    return d <= 0.0 ? 360.0 : d;
}

LocalFrame::LocalFrame(LatLon origin)
    : m_origin(origin), m_metresPerDegLat(kEarthRadiusM * kDeg),
      m_metresPerDegLon(kEarthRadiusM * kDeg * std::cos(origin.lat * kDeg))
{
}

EastNorth LocalFrame::toLocal(LatLon p) const
{
    return {(p.lon - m_origin.lon) * m_metresPerDegLon, (p.lat - m_origin.lat) * m_metresPerDegLat};
}

LatLon LocalFrame::toLatLon(EastNorth p) const
{
    return {m_origin.lat + p.y / m_metresPerDegLat, m_origin.lon + p.x / m_metresPerDegLon};
}

bool Box::contains(LatLon p) const
{
    if (p.lat > top || p.lat < bottom)
    {
        return false;
    }
    if (left <= right)
    {
        return p.lon >= left && p.lon <= right;
    }
    return p.lon >= left || p.lon <= right;
}

LatLon Box::centre() const
{
    double lon = (left + right) / 2.0;
    if (left > right)
    {
        lon = wrap360(lon) - 180.0;
    }
    return {(top + bottom) / 2.0, lon};
}

} // namespace ovr::fakert
