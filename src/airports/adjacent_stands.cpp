// Linking neighbours without comparing every pair: the distance between two
// positions is never less than their difference in latitude (one minute of
// arc is one nautical mile), so only the stands within a band of latitude,
// as wide as the largest pair of radii can reach, need a distance. The stands
// are sorted by latitude once and each stand's band is found by binary search.
// Within the band, a difference in longitude that no great circle between the
// two can cover with the reach (measured on the parallel nearest a pole, with
// a wide margin for the curvature) spares the distance computation.
// A stand whose position or radius is not a usable number (files are read
// with validation, but the list can be changed later) links to nothing, and
// no stand takes more than kMaxNeighbours neighbours, so that a file piling
// thousands of stands on one point cannot make the linking quadratic.
#include "airports/adjacent_stands.h"

#include "core/geometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace ovr
{

namespace
{

constexpr double kClearanceFactor = 1.1;
constexpr double kNmPerDegree = 60.0;
// Keeps rounding in the band's edge from losing a pair that the exact test
// accepts.
constexpr double kBandSlack = 1.0 + 1e-9;
constexpr double kLongitudeSlack = 1.01;
constexpr double kPolarLimitDegrees = 89.0;
constexpr std::size_t kMaxNeighbours = 64;

bool lf_linkable(const Stand& stand)
{
    return std::isfinite(stand.latitude) && std::fabs(stand.latitude) <= 90.0 &&
           std::isfinite(stand.longitude) && std::isfinite(stand.radius) && stand.radius > 0.0;
}

double lf_longitudeDifference(double a, double b)
{
    const double d = std::fabs(a - b);
    return d > 180.0 ? 360.0 - d : d;
}

} // namespace

void gf_linkAdjacentStands(std::span<Stand> stands)
{
    if (stands.empty())
        return;
    double largestRadius = 0.0;
    double farthestFromEquator = 0.0;
    for (const Stand& stand : stands)
    {
        if (!lf_linkable(stand))
            continue;
        largestRadius = std::max(largestRadius, stand.radius);
        farthestFromEquator = std::max(farthestFromEquator, std::fabs(stand.latitude));
    }
    const double parallelScale =
        std::cos(std::min(farthestFromEquator + 0.01, kPolarLimitDegrees) * kDegToRad) / kLongitudeSlack;
    const bool polar = farthestFromEquator + 0.01 >= kPolarLimitDegrees;

    std::vector<std::size_t> byLatitude;
    byLatitude.reserve(stands.size());
    for (std::size_t i = 0; i < stands.size(); ++i)
        if (lf_linkable(stands[i]))
            byLatitude.push_back(i);
    std::sort(byLatitude.begin(), byLatitude.end(),
              [&](std::size_t a, std::size_t b) { return stands[a].latitude < stands[b].latitude; });
    std::vector<double> latitudes(byLatitude.size());
    for (std::size_t i = 0; i < byLatitude.size(); ++i)
        latitudes[i] = stands[byLatitude[i]].latitude;

    std::vector<std::size_t> neighbours;
    for (std::size_t a = 0; a < stands.size(); ++a)
    {
        Stand& stand = stands[a];
        if (!lf_linkable(stand))
        {
            stand.adjacent.shrink_to_fit();
            continue;
        }
        const double reachDegrees =
            (stand.radius + largestRadius) / kClearanceFactor / kNmPerDegree * kBandSlack;
        const auto first =
            std::lower_bound(latitudes.begin(), latitudes.end(), stand.latitude - reachDegrees);
        const auto last =
            std::max(first, std::upper_bound(latitudes.begin(), latitudes.end(), stand.latitude + reachDegrees));

        const double reachLongitude = reachDegrees / parallelScale;
        const LatLon position{stand.latitude, stand.longitude};
        neighbours.clear();
        for (auto it = first; it != last && neighbours.size() < kMaxNeighbours; ++it)
        {
            const std::size_t b = byLatitude[static_cast<std::size_t>(it - latitudes.begin())];
            const Stand& other = stands[b];
            if (other.numericId == stand.numericId)
                continue;
            if (!polar && lf_longitudeDifference(stand.longitude, other.longitude) > reachLongitude)
                continue;
            const double d = gf_distanceNm(position, LatLon{other.latitude, other.longitude});
            if (stand.radius + other.radius > kClearanceFactor * d)
                neighbours.push_back(b);
        }
        // In list order, as the pairwise rule gives them.
        std::sort(neighbours.begin(), neighbours.end());
        for (const std::size_t b : neighbours)
            stand.adjacent.push_back(stands[b].numericId);
        stand.adjacent.shrink_to_fit();
    }
}

} // namespace ovr
