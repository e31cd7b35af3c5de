// The stands of the current park airport, sorted by numeric id.
//
// The main loop fills, clears, searches and marks the list. The SimClient
// thread and the Traffic Reader thread only ask for the name of the stand at a
// position (`gf_nearestStandName`). So every change of the list's structure
// (clear, append, anything that may move the stands) takes an exclusive lock
// and forgets the cached nearest-stand answer, and the name search reads under
// a shared lock. The main loop reads and edits stands in place without a
// lock: the other threads never read what it edits there (flags, options,
// radii, neighbours), only names and positions, which stay as built.
//
// Where the stands are is kept beside the list (`StandPlaces`) and changed
// with it under the same exclusive lock, so that the searches near a position
// look only at the stands that can be within reach. A position is therefore
// changed only through `edit`.
#pragma once

#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "airports/stand.h"
#include "airports/stand_places.h"
#include "core/geometry.h"

namespace ovr
{

class StandList
{
  public:
    using iterator = std::vector<Stand>::iterator;
    using const_iterator = std::vector<Stand>::const_iterator;

    // Main-loop access.
    bool empty() const { return m_stands.empty(); }
    std::size_t size() const { return m_stands.size(); }
    Stand& operator[](std::size_t i) { return m_stands[i]; }
    const Stand& operator[](std::size_t i) const { return m_stands[i]; }
    iterator begin() { return m_stands.begin(); }
    iterator end() { return m_stands.end(); }
    const_iterator begin() const { return m_stands.begin(); }
    const_iterator end() const { return m_stands.end(); }
    std::span<Stand> span() { return m_stands; }
    std::span<const Stand> span() const { return m_stands; }

    // Structural changes, main loop only.
    void clear();
    void push_back(Stand stand);
    void reserve(std::size_t count);
    void shrink_to_fit();
    // For changes that may move or rename stands (sorting, numbering and
    // linking a freshly read list, erasing).
    template <class Edit> void edit(Edit&& change)
    {
        std::unique_lock lock(m_mutex);
        std::forward<Edit>(change)(m_stands);
        m_places.rebuild(m_stands);
        lf_forgetNearest();
    }

    // Main loop, or under the shared lock: calls visit(stand) for every
    // stand that may lie within distanceNm of the position (all that do, and
    // perhaps some more), in no particular order, with its place in the list.
    template <class Visit> void forEachNear(LatLon position, double distanceNm, Visit&& visit)
    {
        m_places.forEachWithin(position, distanceNm, [&](std::size_t i) { visit(m_stands[i], i); });
    }

    // Any thread: the name of the nearest stand within maxNm, the empty text
    // when there is none. The same position asked again is answered from the
    // cache.
    std::string nearestName(double latitude, double longitude, double maxNm) const;

  private:
    void lf_forgetNearest();

    mutable std::shared_mutex m_mutex;
    std::vector<Stand> m_stands;
    StandPlaces m_places;

    struct NearestCache
    {
        bool valid = false;
        double latitude = 0.0;
        double longitude = 0.0;
        std::string name;
    };
    mutable std::mutex m_cacheMutex;
    mutable NearestCache m_cache;
};

// The stands of the park airport.
extern StandList g_stands;

// Destroys every stand and leaves the list empty, keeping its storage.
void gf_clearStands();

// The stand with that numeric id (binary search), or none.
Stand* gf_findStand(std::int32_t numericId);

} // namespace ovr
