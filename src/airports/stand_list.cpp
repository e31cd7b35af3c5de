#include "airports/stand_list.h"

#include "core/geometry.h"

#include <algorithm>
#include <cmath>

namespace ovr
{

StandList g_stands;

namespace
{

constexpr double kStartBestNm = 900.0;
constexpr double kSamePositionDegrees = 1e-8;

} // namespace

void StandList::clear()
{
    std::unique_lock lock(m_mutex);
    m_stands.clear();
    m_places.clear();
    lf_forgetNearest();
}

void StandList::push_back(Stand stand)
{
    std::unique_lock lock(m_mutex);
    m_stands.push_back(std::move(stand));
    m_places.add(m_stands.back(), m_stands.size() - 1);
    lf_forgetNearest();
}

void StandList::reserve(std::size_t count)
{
    std::unique_lock lock(m_mutex);
    m_stands.reserve(count);
    m_places.reserve(count);
}

void StandList::shrink_to_fit()
{
    std::unique_lock lock(m_mutex);
    m_stands.shrink_to_fit();
    m_places.shrink_to_fit();
}

void StandList::lf_forgetNearest()
{
    std::lock_guard cacheLock(m_cacheMutex);
    m_cache = NearestCache{};
}

std::string StandList::nearestName(double latitude, double longitude, double maxNm) const
{
    std::shared_lock lock(m_mutex);
    if (m_stands.empty())
        return {};
    // Held through the search, so that an answer is stored only for the list
    // it was found in: a clear or a reload waits for the exclusive lock.
    std::lock_guard cacheLock(m_cacheMutex);
    if (m_cache.valid && std::fabs(latitude - m_cache.latitude) < kSamePositionDegrees &&
        std::fabs(longitude - m_cache.longitude) < kSamePositionDegrees)
        return m_cache.name;

    // Of stands equally near, the first in the list.
    double best = kStartBestNm;
    std::size_t nearest = m_stands.size();
    const LatLon position{latitude, longitude};
    m_places.forEachWithin(position, maxNm,
                           [&](std::size_t i)
                           {
                               const Stand& stand = m_stands[i];
                               const double d = gf_distanceNm(position, LatLon{stand.latitude, stand.longitude});
                               if (d <= maxNm && d < kStartBestNm && (d < best || (d == best && i < nearest)))
                               {
                                   best = d;
                                   nearest = i;
                               }
                           });
    m_cache.valid = true;
    m_cache.latitude = latitude;
    m_cache.longitude = longitude;
    m_cache.name = nearest < m_stands.size() ? m_stands[nearest].name : std::string();
    return m_cache.name;
}

void gf_clearStands()
{
    g_stands.clear();
}

Stand* gf_findStand(std::int32_t numericId)
{
    const auto stands = g_stands.span();
    const auto it = std::lower_bound(stands.begin(), stands.end(), numericId,
                                     [](const Stand& s, std::int32_t id) { return s.numericId < id; });
    if (it == stands.end() || it->numericId != numericId)
        return nullptr;
    return &*it;
}

} // namespace ovr
