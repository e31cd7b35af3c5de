#include "airports/stand_places.h"

#include <algorithm>

namespace ovr
{

namespace
{

constexpr double kNmPerDegree = 60.0;
// Half-way round the earth: every point is within this distance.
constexpr double kHalfRoundNm = 180.0 * kNmPerDegree;
// The bounds are widened by this much and a little more, so that rounding in
// them or in the distance itself never leaves out a stand at the edge.
constexpr double kSlack = 1e-6;
constexpr double kSlackDegrees = 1e-9;

bool lf_before(double latitude, std::uint32_t index, double otherLatitude, std::uint32_t otherIndex)
{
    return latitude < otherLatitude || (latitude == otherLatitude && index < otherIndex);
}

bool lf_placed(const Stand& stand)
{
    return std::isfinite(stand.latitude) && std::isfinite(stand.longitude);
}

} // namespace

void StandPlaces::rebuild(std::span<const Stand> stands)
{
    m_places.clear();
    m_places.reserve(stands.size());
    for (std::size_t i = 0; i < stands.size(); ++i)
        if (lf_placed(stands[i]))
            m_places.push_back(Place{stands[i].latitude, stands[i].longitude, static_cast<std::uint32_t>(i)});
    std::sort(m_places.begin(), m_places.end(), [](const Place& a, const Place& b)
              { return lf_before(a.latitude, a.index, b.latitude, b.index); });
}

void StandPlaces::add(const Stand& stand, std::size_t index)
{
    if (!lf_placed(stand))
        return;
    const Place place{stand.latitude, stand.longitude, static_cast<std::uint32_t>(index)};
    const auto at = std::upper_bound(m_places.begin(), m_places.end(), place, [](const Place& a, const Place& b)
                                     { return lf_before(a.latitude, a.index, b.latitude, b.index); });
    m_places.insert(at, place);
}

StandPlaces::Band StandPlaces::lf_band(LatLon position, double distanceNm) const
{
    Band band;
    // Nothing is within a distance that is not one, nor of a position that
    // is not one.
    if (!(distanceNm >= 0.0) || !std::isfinite(position.lat) || !std::isfinite(position.lon))
        return band;
    band.last = m_places.size();
    if (distanceNm >= kHalfRoundNm)
        return band;

    const double halfWidth = distanceNm / kNmPerDegree * (1.0 + kSlack) + kSlackDegrees;
    const double south = position.lat - halfWidth;
    const double north = position.lat + halfWidth;
    band.first = static_cast<std::size_t>(
        std::lower_bound(m_places.begin(), m_places.end(), south,
                         [](const Place& p, double latitude) { return p.latitude < latitude; }) -
        m_places.begin());
    band.last = static_cast<std::size_t>(
        std::upper_bound(m_places.begin() + static_cast<std::ptrdiff_t>(band.first), m_places.end(), north,
                         [](double latitude, const Place& p) { return latitude < p.latitude; }) -
        m_places.begin());

    // The haversine of the distance is at least cos(lat1) cos(lat2)
    // sin^2(dlon / 2); with the smaller cosine of the band's edges that gives
    // the largest difference in longitude a stand within reach can have.
    const double farthest = std::max(std::fabs(south), std::fabs(north));
    if (farthest >= 90.0)
        return band;
    const double cosines = std::cos(position.lat * kDegToRad) * std::cos(farthest * kDegToRad);
    const double halfAngle = std::sin(distanceNm / kEarthRadiusNm / 2.0);
    const double limit = halfAngle * halfAngle / cosines;
    if (!(limit < 1.0))
        return band;
    band.longitude = position.lon;
    band.reach = 2.0 * std::asin(std::sqrt(limit)) * kRadToDeg * (1.0 + kSlack) + kSlackDegrees;
    return band;
}

} // namespace ovr
