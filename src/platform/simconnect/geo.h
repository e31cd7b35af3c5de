// Distances on the earth, enough for a stand-in: a sphere of mean radius.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovr::sim::detail
{

constexpr double kEarthRadiusM = 6371000.0;
constexpr double kDegree = std::numbers::pi / 180.0;

// Great-circle distance in metres.
inline double distanceM(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = (lat2 - lat1) * kDegree;
    const double dLon = (lon2 - lon1) * kDegree;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(lat1 * kDegree) *
                                                                   std::cos(lat2 * kDegree) *
                                                                   std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(a)));
}

} // namespace ovr::sim::detail
