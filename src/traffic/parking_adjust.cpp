// The 20-minute renewal of the static parked aircraft.
//
// An adjustment starts from what stands now and changes as little as it
// can, in this order:
//  1. the stands' marks and the lists of the last run are cleared, and the
//     parked live aircraft counted (too many of them: the longest parked go);
//  2. the parked-traffic report, asked for by the first step of the two-step
//     update, gives the candidates of aircraft the service sees parked; a
//     static aircraft placed from an earlier report stays when the report
//     still has it on the same stand, and goes otherwise;
//  3. a static aircraft placed from learned options yields its stand to a
//     reported aircraft that came later;
//  4. the fit passes look for candidates for the stands still free;
//  5. each remaining static aircraft from learned options is weighed against
//     the candidates on its stand and next to it (the one that arrived last
//     is the one standing there now) and against its stand's options (an
//     option that no longer fits the hour lets it go);
//  6. a kept aircraft whose option ends before the next half hour is placed
//     anew, and the whole is trimmed to the park limit, candidates first.
// The removals are made last, all at once, so every step sees the picture
// it started from.
#include "traffic/parking_adjust.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include <fmt/format.h>

#include "airports/airport_panel_figures.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/stand_marks.h"
#include "airports/stand_options.h"
#include "airports/static_parking_search.h"
#include "airports/weekday_hour.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_parking.h"
#include "traffic/parking_adjust_detail.h"
#include "traffic/respawns.h"

namespace ovr
{

namespace
{

// The adjustment's parked-traffic request, armed by the first step of the
// two-step update, and what became of it.
std::uint64_t g_adjustRequest = 0;
ParkedTake g_adjustTake = ParkedTake::none;

void lf_pollAdjustRequest()
{
    if (g_adjustTake == ParkedTake::pending)
    {
        g_adjustTake = gf_collectParkedTraffic(g_adjustRequest);
    }
}

// True when the report came (g_trafficReader.parkedRecords holds it). An
// answer still missing now is given up: a late one carries an old number
// and is never taken.
bool lf_takeAdjustParkedTraffic()
{
    lf_pollAdjustRequest();
    const bool answered = g_adjustTake == ParkedTake::answered;
    if (g_adjustTake == ParkedTake::pending)
    {
        gf_log("ParkedTraffic for the parking adjustment did not come in time");
    }
    g_adjustTake = ParkedTake::none;
    g_adjustRequest = 0;
    return answered;
}

std::string_view lf_withoutStar(std::string_view callsign)
{
    if (!callsign.empty() && callsign.back() == '*')
    {
        callsign.remove_suffix(1);
    }
    return callsign;
}

// A static aircraft carries its candidate's callsign with a "*".
bool lf_starred(std::string_view candidateText, std::string_view staticCallsign)
{
    return !candidateText.empty() && staticCallsign.size() == candidateText.size() + 1 &&
           staticCallsign.back() == '*' && staticCallsign.starts_with(candidateText);
}

bool lf_isActive(const StaticAc& aircraft)
{
    return aircraft.simState == kSimStateActive;
}

double lf_radiusOf(std::uint16_t model)
{
    const double radius = gf_wingspanOf(model);
    return radius > 0.0 ? radius : g_maxWingSpan;
}

double lf_standDistance(std::int32_t a, std::int32_t b)
{
    const Stand* first = gf_findStand(a);
    const Stand* second = gf_findStand(b);
    if (first == nullptr || second == nullptr)
    {
        return -1.0;
    }
    return gf_distanceNm(LatLon{first->latitude, first->longitude}, LatLon{second->latitude, second->longitude});
}

std::vector<ParkCandidate>::iterator lf_candidateOnStand(std::int32_t standId)
{
    return std::ranges::find_if(g_parkCandidates, [standId](const ParkCandidate& c) { return c.standId == standId; });
}

// Which of a static aircraft and a candidate for its place stays: the one
// that arrived last, as it would have taken the stand from the other. True
// when the static aircraft stays (the candidate is dropped); else it is
// listed for removal and the candidate stays.
bool lf_latestStays(const StaticAc& aircraft, std::vector<ParkCandidate>::iterator candidate, std::uint64_t now)
{
    if (candidate->age >= gf_staticAge(aircraft, now))
    {
        g_parkCandidates.erase(candidate);
        return true;
    }
    gf_listForRemoval(aircraft);
    return false;
}

// The origin-0 statics against the new parked-traffic report.
void lf_newParkedTraffic(std::uint64_t now)
{
    if (!lf_takeAdjustParkedTraffic())
    {
        // Nothing known about them: they stay as they are, and count.
        for (const StaticAc& ac : g_staticAircraft)
        {
            if (lf_isActive(ac) && ac.origin == 0)
            {
                g_keptPositions.push_back(detail::keptPosition(ac, now));
            }
        }
        return;
    }
    lf_pickParkedTraffic();
    for (const StaticAc& ac : g_staticAircraft)
    {
        if (!lf_isActive(ac) || ac.origin != 0)
        {
            continue;
        }
        // Flying live again: the live aircraft stands for it.
        if (ac.identity != 0 && g_liveIdsInUse.contains(ac.identity))
        {
            gf_listForRemoval(ac);
            continue;
        }
        const auto same = std::ranges::find_if(
            g_parkCandidates,
            [&](const ParkCandidate& c)
            {
                return lf_starred(c.callsign, ac.callsign) || lf_starred(c.callsign2, ac.secondCallsign) ||
                       (!c.registration.empty() && c.registration == ac.registration);
            });
        if (same != g_parkCandidates.end() && same->standId == static_cast<std::int32_t>(ac.standId))
        {
            g_keptPositions.push_back(detail::keptPosition(ac, now));
            g_parkCandidates.erase(same);
        }
        else
        {
            gf_listForRemoval(ac);
        }
    }
    const std::size_t added = g_parkCandidates.size();
    gf_log(fmt::format("{} new parking position{} from PT", added, added == 1 ? "" : "s"));
}

void lf_removeParkedLive(const ParkedLive& record)
{
    const auto it = std::ranges::find_if(
        g_liveAircraft,
        [&](const LiveAc& a)
        {
            return a.simState == kSimStateActive && a.situation == kSituationParked && a.standId == record.standId &&
                   a.callsign == record.callsign;
        });
    if (it != g_liveAircraft.end())
    {
        removeAircraftFromSim(*it);
    }
}

} // namespace

namespace detail
{

ParkPosition keptPosition(const StaticAc& aircraft, std::uint64_t now)
{
    return ParkPosition{aircraft.callsign,
                        aircraft.secondCallsign,
                        aircraft.text,
                        aircraft.registration,
                        aircraft.key,
                        gf_weekdayOf(aircraft.parkedSince),
                        gf_slotOf(aircraft.parkedSince),
                        gf_staticAge(aircraft, now),
                        aircraft.standId,
                        0};
}

void checkKeptStatics(std::uint64_t now)
{
    for (const StaticAc& ac : g_staticAircraft)
    {
        if (!lf_isActive(ac) || ac.origin != 1 || gf_listedForRemoval(ac))
        {
            continue;
        }
        const auto candidate = std::ranges::find_if(
            g_parkCandidates, [&](const ParkCandidate& c)
            { return c.standId == static_cast<std::int32_t>(ac.standId) || lf_starred(c.callsign, ac.callsign); });
        if (candidate == g_parkCandidates.end())
        {
            continue;
        }
        const bool sameAircraft = (lf_starred(candidate->callsign, ac.callsign) || candidate->callsign == ac.callsign) &&
                                  gf_sameAirlineAndType(candidate->key, ac.key);
        if (candidate->age < gf_staticAge(ac, now) && !sameAircraft)
        {
            gf_listForRemoval(ac);
        }
        else
        {
            g_parkCandidates.erase(candidate);
        }
    }
}

void compareKept(std::uint64_t now)
{
    for (const StaticAc& ac : g_staticAircraft)
    {
        if (!lf_isActive(ac) || ac.origin != 1 || gf_listedForRemoval(ac))
        {
            continue;
        }
        if ((!ac.secondCallsign.empty() && g_callsignsInUse.contains(ac.secondCallsign)) ||
            (!ac.text.empty() && g_callsignsInUse.contains(ac.text)))
        {
            gf_listForRemoval(ac);
            continue;
        }
        const auto standId = static_cast<std::int32_t>(ac.standId);
        const auto onStand = lf_candidateOnStand(standId);
        bool stays = true;
        if (onStand == g_parkCandidates.end())
        {
            // A candidate next door that would touch it is weighed as if it
            // wanted this stand.
            if (const Stand* stand = gf_findStand(standId))
            {
                const auto touching = std::ranges::find_if(
                    g_parkCandidates,
                    [&](const ParkCandidate& c)
                    {
                        if (std::ranges::find(stand->adjacent, c.standId) == stand->adjacent.end())
                        {
                            return false;
                        }
                        const double distance = lf_standDistance(standId, c.standId);
                        return distance >= 0.0 && distance < lf_radiusOf(c.key.model) + ac.radius;
                    });
                if (touching != g_parkCandidates.end())
                {
                    stays = lf_latestStays(ac, touching, now);
                }
            }
            if (stays && !gf_standOptionFits(now, standId, ac))
            {
                gf_listForRemoval(ac);
                stays = false;
            }
        }
        else if (gf_sameAirlineAndType(onStand->key, ac.key) &&
                 (lf_starred(onStand->callsign, ac.callsign) || lf_starred(onStand->callsign2, ac.callsign)))
        {
            g_parkCandidates.erase(onStand);
        }
        else
        {
            stays = lf_latestStays(ac, onStand, now);
        }
        if (stays)
        {
            g_keptPositions.push_back(keptPosition(ac, now));
        }
    }
    std::ranges::stable_sort(g_keptPositions, {}, &ParkPosition::age);

    const std::uint32_t day = gf_weekdayOf(now);
    const std::uint32_t slot = gf_slotOf(now);
    for (ParkPosition& kept : g_keptPositions)
    {
        const Stand* stand = gf_findStand(static_cast<std::int32_t>(kept.standId));
        if (stand == nullptr)
        {
            continue;
        }
        const std::string_view callsign = lf_withoutStar(kept.callsign);
        const auto option = std::ranges::find_if(
            stand->options, [&](const StandOption& o)
            { return o.id != 0 && o.day == day && o.callsign == callsign && gf_sameAirlineAndType(o.key, kept.key); });
        if (option == stand->options.end())
        {
            continue;
        }
        if (slot + 1 < kSlotsPerDay)
        {
            kept.replace = (option->hours & gf_slotBit(slot + 1)) == 0 ? 1 : 0;
            continue;
        }
        const std::uint32_t next = gf_nextWeekday(day);
        const bool goesOn = std::ranges::any_of(
            stand->options, [&](const StandOption& o)
            { return o.day == next && gf_sameAirlineAndType(o.key, kept.key) && (o.hours & gf_slotBit(0)) != 0; });
        kept.replace = goesOn ? 0 : 1;
    }
}

void replaceEnding()
{
    for (const ParkPosition& kept : g_keptPositions)
    {
        if (kept.replace == 0)
        {
            continue;
        }
        ParkCandidate candidate;
        candidate.identity = 0;
        candidate.origin = 1;
        candidate.standId = static_cast<std::int32_t>(kept.standId);
        candidate.age = kept.age;
        candidate.key = kept.key;
        candidate.callsign = kept.secondCallsign.empty() ? std::string(lf_withoutStar(kept.callsign)) : kept.secondCallsign;
        candidate.callsign2 = kept.text;
        candidate.registration = kept.registration;
        candidate.stays = 0;
        g_parkCandidates.push_back(std::move(candidate));
        g_staticRemovals.push_back(StaticRemoval{kept.callsign, kept.standId});
    }
    std::erase_if(g_keptPositions, [](const ParkPosition& kept) { return kept.replace != 0; });
}

void trimSurplus(std::int64_t limit)
{
    std::int64_t surplus = static_cast<std::int64_t>(g_keptPositions.size() + g_parkedLive.size() +
                                                     g_parkCandidates.size()) -
                           limit;
    const bool liveMayGo = limit >= 1;
    while (surplus >= 1)
    {
        if (!g_parkCandidates.empty())
        {
            g_parkCandidates.pop_back();
        }
        else if (!g_keptPositions.empty())
        {
            const ParkPosition& last = g_keptPositions.back();
            g_staticRemovals.push_back(StaticRemoval{last.callsign, last.standId});
            g_keptPositions.pop_back();
        }
        else if (liveMayGo && !g_parkedLive.empty())
        {
            lf_removeParkedLive(g_parkedLive.back());
            g_parkedLive.pop_back();
        }
        else
        {
            break;
        }
        --surplus;
    }
}

} // namespace detail

void gf_listForRemoval(const StaticAc& aircraft)
{
    if (!gf_listedForRemoval(aircraft))
    {
        g_staticRemovals.push_back(StaticRemoval{aircraft.callsign, aircraft.standId});
    }
}

bool gf_listedForRemoval(const StaticAc& aircraft)
{
    return std::ranges::any_of(g_staticRemovals, [&](const StaticRemoval& r)
                               { return r.standId == aircraft.standId &&
                                        r.callsign == aircraft.callsign; });
}

void lf_removeListedStatics()
{
    for (const StaticRemoval& listed : g_staticRemovals)
    {
        const auto it = std::ranges::find_if(g_staticAircraft,
                                             [&](const StaticAc& a)
                                             {
                                                 return a.standId == listed.standId &&
                                                        a.callsign == listed.callsign &&
                                                        (a.simState == kSimStateAdding ||
                                                         a.simState == kSimStateActive);
                                             });
        if (it != g_staticAircraft.end())
        {
            removeAircraftFromSim(*it);
        }
    }
    g_staticRemovals.clear();
}

void gf_armAdjustParkedTraffic()
{
    g_adjustRequest = gf_armParkedTraffic();
    g_adjustTake = g_adjustRequest != 0 ? ParkedTake::pending : ParkedTake::none;
}

bool gf_adjustParkedTrafficPending()
{
    lf_pollAdjustRequest();
    return g_adjustTake == ParkedTake::pending;
}

void gf_adjustParking(bool optionsChanged)
{
    try
    {
        const std::uint64_t now = lf_logDay();
        lf_takeLiveIdentities();
        g_fitUsedSoft.store(0);
        g_fitUsedOtherDays.store(0);
        g_staticRemovals.clear();
        g_keptPositions.clear();
        g_parkedLive.clear();
        g_parkCandidates.clear();

        for (Stand& stand : g_stands)
        {
            stand.staticTaken = 0;
            stand.reserved = 0;
            stand.adjacentTaken = 0;
            gf_renumberOptions(stand.options);
        }
        lf_markReservedStands();

        if (optionsChanged)
        {
            for (const StaticAc& ac : g_staticAircraft)
            {
                if (lf_isActive(ac) && ac.origin == 1)
                {
                    gf_listForRemoval(ac);
                }
            }
        }

        const std::int32_t limit = gf_wantedParking();
        gf_checkParkedLiveAc();
        const bool parkedOnly = RT_PARKTRAFFIC_ONLY.current.load();
        if (!parkedOnly && limit >= 1 && g_parkedLive.size() > static_cast<std::size_t>(limit))
        {
            const std::size_t excess = g_parkedLive.size() - static_cast<std::size_t>(limit);
            gf_setStatus(fmt::format("Parking adjustments: {} more live ac than wanted", excess), true);
            gf_removeLongestParkedLive(excess);
            g_parkedLive.clear();
            gf_checkParkedLiveAc();
        }
        for (const ParkedLive& live : g_parkedLive)
        {
            gf_markStandAndAdjacent(static_cast<std::int32_t>(live.standId));
        }

        lf_newParkedTraffic(now);
        if (parkedOnly)
        {
            std::ranges::stable_sort(g_parkCandidates, std::ranges::greater{}, &ParkCandidate::age);
            gf_setStatus(fmt::format("ParkTraffic changes: {} to be removed, {} to be added", g_staticRemovals.size(),
                                     g_parkCandidates.size()),
                         true);
            lf_removeListedStatics();
            return;
        }

        if (!optionsChanged)
        {
            detail::checkKeptStatics(now);
        }
        const auto already = static_cast<std::int32_t>(g_keptPositions.size() + g_parkedLive.size());
        for (const ParkPosition& kept : g_keptPositions)
        {
            gf_markStandAndAdjacent(static_cast<std::int32_t>(kept.standId));
        }
        if (limit - static_cast<std::int32_t>(g_parkCandidates.size()) != already)
        {
            lf_fitPasses(now, limit, already);
        }
        detail::compareKept(now);
        detail::replaceEnding();
        detail::trimSurplus(limit);

        std::ranges::stable_sort(g_parkCandidates, std::ranges::greater{}, &ParkCandidate::age);
        gf_setStatus(fmt::format("Parking adjustments: {} to be removed, {} to be added\n", g_staticRemovals.size(),
                                 g_parkCandidates.size()),
                     true);
        lf_removeListedStatics();
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "gf_adjustParking", e.what()));
    }
}

} // namespace ovr
