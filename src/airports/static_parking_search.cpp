// The static-parking search gives each free stand of the park airport at most
// one aircraft from the options learned for it:
//
// 1. An option qualifies when it held an aircraft at the target half hour (of
//    the target weekday, in day scope), is of the kind asked for (real or
//    soft), and its aircraft fits beside the static aircraft already on the
//    neighbouring stands (the two half wingspans within the stands' distance).
// 2. Of several qualifying options, the one that an aircraft placed from the
//    options before already flies keeps its stand; otherwise one is drawn at
//    random, so that the parking does not look the same every time.
// 3. An option whose aircraft is already in the simulator, already chosen, or
//    flying live is retired for the rest of the search, and its stand stays
//    free for a later pass.
// 4. A chosen stand and its neighbours are marked at once, so that the stands
//    after it in the same search see them taken.
//
// The indexes are built once per fill and extended by the stands each search
// takes, so that the fit steps of a fill do not gather them again and one
// search is linear in the number of stands and options.
#include "airports/static_parking_search.h"

#include "airports/stand_list.h"
#include "airports/stand_marks.h"
#include "airports/weekday_hour.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "core/random.h"
#include "core/text.h"
#include "liveries/model_lookups.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace ovr
{

namespace
{

constexpr std::size_t kQualifyingReserved = 256;

using TextSet = std::unordered_set<std::string, Fnv1aHash, std::equal_to<>>;

void lf_addText(TextSet& set, const std::string& text)
{
    if (!text.empty())
        set.insert(text);
}

// Who is already placed, chosen or flying, as sets, so that the in-use test of
// an option costs the same however many aircraft there are.
class InUseIndex
{
  public:
    explicit InUseIndex(const std::vector<ParkCandidate>& searchCandidates)
    {
        for (const StaticAc& ac : g_staticAircraft)
        {
            lf_addText(m_callsigns, ac.callsign);
            lf_addText(m_callsigns, ac.secondCallsign);
            lf_addText(m_callsigns, ac.text);
            if (ac.simState == kSimStateActive && ac.origin == 0)
            {
                lf_addText(m_wildcardCallsigns, ac.callsign);
                lf_addText(m_registrations, ac.registration);
            }
        }
        for (const ParkCandidate& candidate : g_parkCandidates)
            add(candidate);
        for (const ParkCandidate& candidate : searchCandidates)
            add(candidate);
        for (const ParkedLive& live : g_parkedLive)
            lf_addText(m_callsigns, live.callsign);
    }

    void add(const ParkCandidate& candidate)
    {
        lf_addText(m_registrations, candidate.registration);
        lf_addText(m_callsigns, candidate.callsign);
        lf_addText(m_callsigns, candidate.callsign2);
    }

    bool inUse(const StandOption& option) const
    {
        if (!option.registration.empty() && m_registrations.contains(option.registration))
            return true;
        return lf_callsignInUse(option.callsign) || lf_callsignInUse(option.callsign2);
    }

  private:
    bool lf_callsignInUse(const std::string& callsign) const
    {
        if (callsign.empty())
            return false;
        if (g_callsignsInUse.contains(callsign) || g_callsignsInUse.contains(callsign + "_"))
            return true;
        // A static aircraft placed from parked traffic carries the callsign
        // marked with a trailing "*".
        return m_callsigns.contains(callsign) || m_wildcardCallsigns.contains(callsign + "*");
    }

    TextSet m_registrations;
    TextSet m_callsigns;
    TextSet m_wildcardCallsigns;
};

using StaticsByStand = std::unordered_multimap<std::int32_t, const StaticAc*>;

// The static aircraft on each stand, by stand id.
StaticsByStand lf_staticsByStand()
{
    StaticsByStand byStand;
    byStand.reserve(g_staticAircraft.size());
    for (const StaticAc& ac : g_staticAircraft)
        byStand.emplace(static_cast<std::int32_t>(ac.standId), &ac);
    return byStand;
}

// The largest half wingspan (NM) that an option's aircraft may have beside the
// active static aircraft on the stand's neighbours.
double lf_spanRoom(const Stand& stand,
                   const StaticsByStand& staticsByStand)
{
    double room = std::numeric_limits<double>::infinity();
    for (const std::int32_t id : stand.adjacent)
    {
        const auto [first, last] = staticsByStand.equal_range(id);
        for (auto it = first; it != last; ++it)
        {
            const StaticAc& ac = *it->second;
            if (ac.simState != kSimStateActive)
                continue;
            const double d =
                gf_distanceNm(LatLon{stand.latitude, stand.longitude}, LatLon{ac.latitude, ac.longitude});
            room = std::min(room, d - gf_wingspanOf(ac.key.model));
        }
    }
    return room;
}

bool lf_qualifies(const StandOption& option, std::int32_t kind, std::int32_t scope, std::uint32_t targetDay,
                  HalfHourSet targetBit)
{
    if (option.id == 0 || (option.hours & targetBit) == 0)
        return false;
    if (scope == kScopeDay && option.day != targetDay)
        return false;
    if (kind == kSearchReal)
        return option.real == 1;
    if (kind == kSearchSoft)
        return option.real == 0;
    return true;
}

// The id of the qualifying option that a static aircraft placed from the
// options already flies on this stand, or 0.
std::uint32_t lf_preferredOption(const Stand& stand, const std::vector<std::uint32_t>& ids,
                                 const StaticsByStand& staticsByStand)
{
    const auto [first, last] = staticsByStand.equal_range(stand.numericId);
    for (auto it = first; it != last; ++it)
    {
        const StaticAc& ac = *it->second;
        if (ac.origin == 0)
            continue;
        for (const StandOption& option : stand.options)
        {
            const bool named =
                (!option.callsign.empty() && gf_matchesWildcard(option.callsign, ac.callsign)) ||
                (!option.callsign2.empty() && gf_matchesWildcard(option.callsign2, ac.callsign));
            if (named && gf_sameAirlineAndType(option.key, ac.key) &&
                std::find(ids.begin(), ids.end(), option.id) != ids.end())
                return option.id;
        }
    }
    return 0;
}

void lf_orderIds(const Stand& stand, std::vector<std::uint32_t>& ids,
                 const StaticsByStand& staticsByStand)
{
    if (ids.size() < 2)
        return;
    if (const std::uint32_t preferred = lf_preferredOption(stand, ids, staticsByStand))
    {
        std::iter_swap(ids.begin(), std::find(ids.begin(), ids.end(), preferred));
        return;
    }
    for (std::size_t i = 1; i < ids.size(); ++i)
        std::swap(ids[i], ids[gf_randomIndex(i + 1)]);
}

// Whether the aircraft of the option is still there in the half hour after
// the target: an option without a second callsign always stays.
bool lf_stays(const Stand& stand, const StandOption& option, std::uint32_t targetDay,
              std::uint32_t targetSlot)
{
    if (option.callsign2.empty())
        return true;
    if (targetSlot + 1 < kSlotsPerDay)
        return (option.hours & gf_slotBit(targetSlot + 1)) != 0;
    const std::uint32_t nextDay = gf_nextWeekday(targetDay);
    return std::any_of(stand.options.begin(), stand.options.end(),
                       [&](const StandOption& o)
                       {
                           return o.id > 0 && o.day == nextDay && gf_sameAirlineAndType(o.key, option.key) &&
                                  (o.hours & gf_slotBit(0)) != 0;
                       });
}

} // namespace

// What the searches of one fill share. It holds pointers into g_staticAircraft
// and counts what it was built from, so that a changed picture (candidates
// dropped, statics or parked live aircraft changed) is gathered anew instead
// of being trusted.
struct StandSearch::Index
{
    explicit Index(const std::vector<ParkCandidate>& candidates)
        : staticsByStand(lf_staticsByStand()), inUse(candidates), statics(g_staticAircraft.data()),
          staticCount(g_staticAircraft.size()), parkedLiveCount(g_parkedLive.size()),
          candidateCount(g_parkCandidates.size() + candidates.size())
    {
    }

    bool current(const std::vector<ParkCandidate>& candidates) const
    {
        return statics == g_staticAircraft.data() && staticCount == g_staticAircraft.size() &&
               parkedLiveCount == g_parkedLive.size() &&
               candidateCount == g_parkCandidates.size() + candidates.size();
    }

    void add(const ParkCandidate& candidate)
    {
        inUse.add(candidate);
        ++candidateCount;
    }

    StaticsByStand staticsByStand;
    InUseIndex inUse;
    const StaticAc* statics;
    std::size_t staticCount;
    std::size_t parkedLiveCount;
    std::size_t candidateCount;
};

StandSearch::StandSearch() = default;
StandSearch::~StandSearch() = default;

void lf_searchStands(std::uint64_t weekdayHour, std::int32_t kind, std::int32_t scope, std::int32_t offset,
                     std::vector<ParkCandidate>& candidates, std::uint32_t context)
{
    StandSearch search;
    search.searchStands(weekdayHour, kind, scope, offset, candidates, context);
}

void StandSearch::searchStands(std::uint64_t weekdayHour, std::int32_t kind, std::int32_t scope,
                               std::int32_t offset, std::vector<ParkCandidate>& candidates, std::uint32_t context)
{
    std::uint32_t targetDay = gf_weekdayOf(weekdayHour);
    std::int64_t slot = static_cast<std::int64_t>(gf_slotOf(weekdayHour)) - offset;
    while (slot < 0)
    {
        slot += kSlotsPerDay;
        targetDay = gf_previousWeekday(targetDay);
    }
    if (slot >= kSlotsPerDay)
        return;
    const auto targetSlot = static_cast<std::uint32_t>(slot);
    const HalfHourSet targetBit = gf_slotBit(targetSlot);
    const bool helicopters = HELICOPTERS.current.load();

    if (!m_index || !m_index->current(candidates))
        m_index = std::make_unique<Index>(candidates);
    const StaticsByStand& staticsByStand = m_index->staticsByStand;
    std::vector<std::uint32_t> ids;
    ids.reserve(kQualifyingReserved);

    for (Stand& stand : g_stands)
    {
        if (stand.reserved != 0 || stand.staticTaken != 0 || stand.adjacentTaken != 0)
            continue;
        if (stand.heli != 0 && !helicopters)
            continue;
        ids.clear();
        double room = 0.0;
        bool roomKnown = false;
        for (const StandOption& option : stand.options)
        {
            if (!lf_qualifies(option, kind, scope, targetDay, targetBit))
                continue;
            if (!roomKnown)
            {
                room = lf_spanRoom(stand, staticsByStand);
                roomKnown = true;
            }
            if (gf_wingspanOf(option.key.model) > room)
                continue;
            ids.push_back(option.id);
        }
        if (ids.empty())
            continue;
        lf_orderIds(stand, ids, staticsByStand);

        StandOption* option = nullptr;
        for (StandOption& o : stand.options)
            if (o.id == ids.front())
            {
                option = &o;
                break;
            }
        if (m_index->inUse.inUse(*option))
        {
            option->id = 0;
            continue;
        }
        ParkCandidate candidate;
        candidate.identity = 0;
        candidate.origin = 1;
        candidate.standId = stand.numericId;
        candidate.age = context;
        candidate.key = option->key;
        candidate.callsign = option->callsign;
        candidate.callsign2 = option->callsign2;
        candidate.registration = option->registration;
        candidate.stays = lf_stays(stand, *option, targetDay, targetSlot) ? 1 : 0;
        m_index->add(candidate);
        candidates.push_back(std::move(candidate));
        gf_markStandAndAdjacent(stand.numericId);
    }
}

bool gf_standOptionFits(std::uint64_t weekdayHour, std::int32_t standId, const AiAircraftRecord& aircraft)
{
    if (standId < 1)
        return false;
    const Stand* stand = gf_findStand(standId);
    if (!stand)
        return false;
    const std::int64_t window = std::clamp<std::int64_t>(std::max(g_fitPassNumber, g_currentFitStep), 0, 47);
    const std::uint32_t day = gf_weekdayOf(weekdayHour);
    const auto slot = static_cast<std::int64_t>(gf_slotOf(weekdayHour));

    auto holdsBetween = [&](std::uint32_t optionDay, std::int64_t first, std::int64_t last)
    {
        const HalfHourSet mask = gf_slotRange(first, last);
        return std::any_of(stand->options.begin(), stand->options.end(),
                           [&](const StandOption& option)
                           {
                               return option.day == optionDay &&
                                      option.registration == aircraft.registration &&
                                      gf_sameAirlineAndType(option.key, aircraft.key) &&
                                      (option.hours & mask) != 0;
                           });
    };
    if (holdsBetween(day, slot - window, slot))
        return true;
    if (slot - window < 0)
    {
        const std::int64_t remaining = std::min<std::int64_t>(window - slot, 46);
        return holdsBetween(gf_previousWeekday(day), 47 - remaining, 47);
    }
    return false;
}

} // namespace ovr
