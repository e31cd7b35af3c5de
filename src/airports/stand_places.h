// Where the stands of a list are, sorted by latitude, so that a search near a
// position looks only at the stands that can be within its distance: on an
// earth on which a nautical mile is a minute of arc, two points are at least
// as far apart as their latitudes differ, and a stand in the band of
// latitudes is passed over without a distance when its longitude alone puts
// it out of reach. A search at a large airport looks at a handful of stands
// instead of thousands.
//
// The owner keeps it in step with every change of its list (`StandList`).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "airports/stand.h"
#include "core/geometry.h"

namespace ovr
{

class StandPlaces
{
  public:
    void clear() { m_places.clear(); }
    void reserve(std::size_t count) { m_places.reserve(count); }
    void shrink_to_fit() { m_places.shrink_to_fit(); }
    // The whole list again, after a change that may have moved its stands.
    void rebuild(std::span<const Stand> stands);
    // The stand just appended to the list at `index`.
    void add(const Stand& stand, std::size_t index);

    // Calls visit(index) once for every stand of the list that may lie
    // within distanceNm of the position, in no particular order: every stand
    // that does lie within it is among them (a stand without a finite
    // position never does). The caller measures the distance itself.
    template <class Visit> void forEachWithin(LatLon position, double distanceNm, Visit&& visit) const
    {
        const Band band = lf_band(position, distanceNm);
        for (std::size_t i = band.first; i < band.last; ++i)
        {
            const Place& place = m_places[i];
            if (band.reachesLongitude(place.longitude))
                visit(static_cast<std::size_t>(place.index));
        }
    }

  private:
    struct Place
    {
        double latitude = 0.0;
        double longitude = 0.0;
        std::uint32_t index = 0;
    };

    struct Band
    {
        std::size_t first = 0;
        std::size_t last = 0;
        double longitude = 0.0;
        // Degrees either way; negative when the band is not narrowed by
        // longitude (near a pole, or a distance half-way round the earth).
        double reach = -1.0;

        bool reachesLongitude(double other) const
        {
            if (reach < 0.0)
                return true;
            double difference = std::fabs(other - longitude);
            if (difference > 180.0)
            {
                // Across the date line; a longitude out of its range is
                // always looked at.
                if (difference > 360.0)
                    return true;
                difference = 360.0 - difference;
            }
            return difference <= reach;
        }
    };

    Band lf_band(LatLon position, double distanceNm) const;

    std::vector<Place> m_places; // stands with a finite position, by latitude then index
};

} // namespace ovr
