#include "traffic/live_aircraft.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace ovr
{

LiveAircraftList::LiveAircraftList() = default;

LiveAircraftList::~LiveAircraftList() = default;

LiveAircraftList& LiveAircraftList::operator=(std::vector<LiveAc> aircraft)
{
    m_aircraft = std::move(aircraft);
    m_stale = true;
    return *this;
}

std::string LiveAircraftList::flightName(std::string_view callsign, std::uint16_t model)
{
    std::string name(callsign);
    name.push_back('\0');
    name.push_back(static_cast<char>(model & 0xFF));
    name.push_back(static_cast<char>(model >> 8));
    return name;
}

void LiveAircraftList::index(std::size_t i)
{
    const LiveAc& a = m_aircraft[i];
    // The first aircraft of a key is the one found, as a search from the
    // front finds it.
    m_byKey.emplace(a.aiKey, i);
    if (!a.callsign.empty())
    {
        ++m_flights[flightName(a.callsign, a.key.model)];
        ++m_callsigns[a.callsign];
    }
}

void LiveAircraftList::rebuild()
{
    m_byKey.clear();
    m_flights.clear();
    m_callsigns.clear();
    for (std::size_t i = 0; i < m_aircraft.size(); ++i)
        index(i);
    m_stale = false;
}

void LiveAircraftList::push_back(LiveAc aircraft)
{
    m_aircraft.push_back(std::move(aircraft));
    if (!m_stale)
        index(m_aircraft.size() - 1);
}

void LiveAircraftList::clear()
{
    m_aircraft.clear();
    m_byKey.clear();
    m_flights.clear();
    m_callsigns.clear();
    m_stale = false;
}

void LiveAircraftList::swapErase(std::size_t i)
{
    if (i + 1 != m_aircraft.size())
        m_aircraft[i] = std::move(m_aircraft.back());
    m_aircraft.pop_back();
    m_stale = true;
}

LiveAc* LiveAircraftList::find(std::uint32_t key)
{
    if (m_stale)
        rebuild();
    const auto it = m_byKey.find(key);
    LiveAc* found = it == m_byKey.end() ? nullptr : &m_aircraft[it->second];
    assert(found == [&]() -> LiveAc*
           {
               const auto scan = std::ranges::find_if(m_aircraft, [key](const LiveAc& a) { return a.aiKey == key; });
               return scan == m_aircraft.end() ? nullptr : &*scan;
           }());
    return found;
}

bool LiveAircraftList::hasFlight(std::string_view callsign, std::uint16_t model)
{
    if (callsign.empty())
        return false;
    if (m_stale)
        rebuild();
    const bool found = m_flights.contains(flightName(callsign, model));
    assert(found == std::ranges::any_of(m_aircraft, [&](const LiveAc& a)
                                        { return a.callsign == callsign && a.key.model == model; }));
    return found;
}

bool LiveAircraftList::hasCallsign(std::string_view callsign)
{
    if (callsign.empty())
        return false;
    if (m_stale)
        rebuild();
    const bool found = m_callsigns.contains(std::string(callsign));
    assert(found == std::ranges::any_of(m_aircraft, [&](const LiveAc& a) { return a.callsign == callsign; }));
    return found;
}

} // namespace ovr
