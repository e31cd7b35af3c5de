// The static parking of the park airport fills a share of its stands with
// parked aircraft that look as the real airport does at this hour:
//
// 1. The aircraft that the service reports parked at the airport come first:
//    each gets the nearest suitable stand to its reported position, unless
//    it flies live, the stand is reserved or taken, or its wings would reach
//    into a neighbour already chosen.
// 2. The rest, up to the park limit, come from the options learned for the
//    stands: a search of the aircraft seen there in this half hour of this
//    weekday, then in windows widening half hour by half hour up to MAX_FIT
//    (the fit steps), then, when allowed, of any weekday and of the derived
//    (soft) sightings. The last step of a pass usually finds more than is
//    still wanted; a random share of it is dropped so that the airport does
//    not always fill from the same end.
// 3. The candidates are placed from the back of their vector, one per 500 ms
//    creation slot, the youngest arrival first, each checked once more
//    against the live and static aircraft on and beside its stand.
#include "traffic/static_parking.h"

#include <algorithm>
#include <exception>
#include <mutex>

#include <fmt/format.h>

#include "airports/airport_panel_figures.h"
#include "airports/max_fit.h"
#include "airports/nearest_stand.h"
#include "airports/park_airport.h"
#include "airports/stand_find.h"
#include "airports/stand_list.h"
#include "airports/stand_marks.h"
#include "airports/static_parking_search.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/random.h"
#include "core/text.h"
#include "core/time.h"
#include "core/window_repaint.h"
#include "core/window_requests.h"
#include "liveries/livery_matching.h"
#include "liveries/model_lookups.h"
#include "service/traffic_reader.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_lists.h"
#include "traffic/live_parking.h"
#include "traffic/park_airports.h"
#include "traffic/parking_adjust.h"
#include "traffic/parking_window.h"

namespace ovr
{

std::vector<StaticRemoval> g_staticRemovals;
std::vector<ParkPosition> g_keptPositions;
std::unordered_set<std::uint32_t> g_liveIdsInUse;
std::uint32_t g_staticRunningNumber = 0;

namespace
{

constexpr std::uint32_t kHighestStaticKey = 9999;
constexpr std::size_t kBatchReserve = 512;
// 110 m: how far a reported parked aircraft may stand from its stand.
constexpr double kParkedStandSearchNm = 0.05939524838012959;
// Clearance of aircraft on neighbouring stands: the summed half spans with
// a margin.
constexpr double kStandClearanceFactor = 1.1;

// The calculation's parked-traffic request: its number while it waits, and
// whether its records came.
std::uint64_t g_calcParkedSequence = 0;
bool g_calcParkedAnswered = false;

const char* lf_dayName(std::uint32_t weekday)
{
    static constexpr const char* kNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return weekday >= 1 && weekday <= 7 ? kNames[weekday - 1] : "???";
}

const char* lf_plural(std::size_t n)
{
    return n == 1 ? "" : "s";
}

std::size_t lf_countChosenStands()
{
    std::size_t n = 0;
    for (const Stand& stand : g_stands)
    {
        n += stand.staticTaken != 0 ? 1 : 0;
    }
    return n;
}

std::string lf_withoutFinalStar(const std::string& callsign)
{
    if (!callsign.empty() && callsign.back() == '*')
    {
        return callsign.substr(0, callsign.size() - 1);
    }
    return callsign;
}

// A static callsign: trailing "_" (the service's ghost marks) go, one "*"
// ends it.
std::string lf_staticForm(std::string text)
{
    while (!text.empty() && text.back() == '_')
    {
        text.pop_back();
    }
    if (text.empty() || text.back() != '*')
    {
        text.push_back('*');
    }
    return text;
}

std::string lf_detcs(const ParkCandidate& candidate, std::uint32_t number)
{
    if (candidate.callsign.empty())
    {
        return fmt::format("{}{}{}", g_airlineCodes.text(candidate.key.airline), number, "*");
    }
    const std::string& first = candidate.stays != 0 ? candidate.callsign : candidate.callsign2;
    const std::string& second = candidate.stays != 0 ? candidate.callsign2 : candidate.callsign;
    return lf_staticForm(first.empty() ? second : first);
}

void lf_markBusy()
{
    if (const auto busy = gf_parkingWindow().parkingBusy)
    {
        busy();
    }
    else
    {
        g_parkingBusy.store(1);
    }
}

void lf_markDone()
{
    if (const auto done = gf_parkingWindow().parkingDone)
    {
        done();
    }
    else
    {
        g_parkingBusy.store(0);
        g_staticRenewMinutes.store(20);
    }
}

// Whether an aircraft of half span `radius` on `stand` and one of half span
// `otherRadius` on `other` would touch.
bool lf_standsTooClose(const Stand& stand, double radius, const Stand& other, double otherRadius)
{
    const double d = gf_distanceNm(LatLon{stand.latitude, stand.longitude}, LatLon{other.latitude, other.longitude});
    return (radius + otherRadius) * kStandClearanceFactor >= d;
}

// The window shows how many candidates still wait to be placed.
void lf_showWaitingCandidates()
{
    const auto waiting = static_cast<std::int32_t>(g_parkCandidates.size());
    if (g_parkingCandidateCount.exchange(waiting) != waiting)
    {
        gf_repaintMainWindow();
    }
}

void lf_addCandidate(ParkCandidate candidate)
{
    const std::int32_t standId = candidate.standId;
    g_parkCandidates.push_back(std::move(candidate));
    gf_markStandAndAdjacent(standId);
}

} // namespace

std::uint32_t gf_nextStaticKey()
{
    std::unordered_set<std::uint32_t> held;
    held.reserve(g_staticAircraft.size());
    for (const StaticAc& ac : g_staticAircraft)
    {
        held.insert(ac.aiKey);
    }
    for (std::uint32_t tries = 0; tries < kHighestStaticKey; ++tries)
    {
        g_staticRunningNumber = g_staticRunningNumber % kHighestStaticKey + 1;
        if (!held.contains(g_staticRunningNumber))
        {
            return g_staticRunningNumber;
        }
    }
    return 0;
}

std::uint64_t gf_arrivalOf(std::uint64_t now, std::uint32_t age)
{
    const std::uint32_t weekday = std::clamp<std::uint32_t>(gf_weekdayOf(now), 1, 7);
    const std::int64_t index = static_cast<std::int64_t>(weekday - 1) * kSlotsPerDay + gf_slotOf(now) -
                               static_cast<std::int64_t>(age);
    const std::int64_t wrapped = ((index % kSlotsPerWeek) + kSlotsPerWeek) % kSlotsPerWeek;
    return gf_packWeekdayHour(static_cast<std::uint32_t>(wrapped / kSlotsPerDay) + 1,
                              static_cast<std::uint32_t>(wrapped % kSlotsPerDay));
}

std::uint32_t gf_arrivalIndex(std::uint64_t arrival)
{
    const std::uint32_t weekday = std::clamp<std::uint32_t>(gf_weekdayOf(arrival), 1, 7);
    return (weekday - 1) * kSlotsPerDay + gf_slotOf(arrival);
}

std::uint32_t gf_staticAge(const StaticAc& aircraft, std::uint64_t now)
{
    const std::uint32_t day = gf_weekdayOf(aircraft.parkedSince);
    const std::uint32_t slot = gf_slotOf(aircraft.parkedSince);
    if (day < 1 || day > 7 || slot >= kSlotsPerDay)
    {
        return 0;
    }
    return static_cast<std::uint32_t>(gf_halfHoursBetween(day, slot, gf_weekdayOf(now), gf_slotOf(now)));
}

std::uint64_t lf_logDay()
{
    const std::uint64_t now = g_weekdayHour.load();
    const std::uint32_t weekday = gf_weekdayOf(now);
    gf_log(fmt::format("\n{} (utc) It is day {} ({}), {:.1F} hours", gf_shiftedTimeString(), weekday,
                       lf_dayName(weekday), gf_fitHours(static_cast<std::int32_t>(gf_slotOf(now)))));
    return now;
}

void lf_takeLiveIdentities()
{
    CollectedIdentities taken = g_trafficReader.takeCollected();
    g_callsignsInUse.clear();
    for (const std::string& callsign : taken.callsigns)
    {
        g_callsignsInUse.insert(callsign);
    }
    g_liveIdsInUse = std::move(taken.ids);
}

void lf_markReservedStands()
{
    for (Stand& stand : g_stands)
    {
        stand.staticTaken = 0;
        stand.reserved = 0;
        stand.adjacentTaken = 0;
    }
    std::string reserved;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        reserved = g_reservedStand;
    }
    const std::string userStand = gf_nearestStandName(g_userPos.latitude, g_userPos.longitude);
    for (Stand& stand : g_stands)
    {
        if ((!reserved.empty() && stand.name == reserved) || (!userStand.empty() && stand.name == userStand))
        {
            stand.reserved = 1;
        }
    }
}

bool lf_sameAircraft(const ParkedTrafficRecord& record, const LiveAc& live)
{
    return live.aiKey == record.hexId || live.callsign == record.callsign || live.callsign == record.callsign + "_" ||
           (!record.registration.empty() && live.registration == record.registration);
}

void lf_pickParkedTraffic()
{
    const bool parkedOnly = RT_PARKTRAFFIC_ONLY.current.load();
    const auto limit = static_cast<std::size_t>(std::max(gf_wantedParking(), 0));
    if (limit == 0 && !parkedOnly)
    {
        return;
    }
    const std::uint64_t now = g_weekdayHour.load();
    for (const ParkedTrafficRecord& record : g_trafficReader.parkedRecords)
    {
        if (!parkedOnly && g_parkCandidates.size() >= limit)
        {
            break;
        }
        if (record.callsign.empty() || g_liveIdsInUse.contains(record.hexId) ||
            g_callsignsInUse.contains(record.callsign) || g_callsignsInUse.contains(record.callsign + "_") ||
            std::ranges::any_of(g_liveAircraft, [&](const LiveAc& live) { return lf_sameAircraft(record, live); }))
        {
            continue;
        }
        FlightBase flight = record;
        if (flight.key.airline >= g_airlineCodes.size() || g_airlineCodes.text(flight.key.airline).empty())
        {
            const std::optional<std::string> airline = gf_airlineFromCallsign(record.callsign);
            flight.key.airline = gf_airlineId(airline ? *airline : std::string("PVT"));
        }
        const AiAircraftRecord aircraft = gf_makeAiRecord(flight, record.hexId);
        const auto age = static_cast<std::uint32_t>(std::max(record.slot, 0));
        Stand* stand =
            gf_findStandNear(LatLon{record.latitude, record.longitude}, aircraft, kParkedStandSearchNm, false);
        if (stand == nullptr)
        {
            gf_logContinuation(fmt::format("[{:10}: {:8x} {:8} {:12}, hh:{} ===> no stand for PT {}",
                                           record.standName, record.hexId, record.callsign, record.registration,
                                           record.slot,
                                           fmt::format("{:.6f},{:.6f}", record.latitude, record.longitude)));
            continue;
        }
        if (stand->reserved != 0 || stand->staticTaken != 0)
        {
            continue;
        }
        if (stand->adjacentTaken != 0)
        {
            bool conflict = false;
            for (const std::int32_t id : stand->adjacent)
            {
                const Stand* neighbour = id > 0 ? gf_findStand(id) : nullptr;
                if (neighbour == nullptr)
                {
                    continue;
                }
                for (const ParkCandidate& other : g_parkCandidates)
                {
                    if (other.standId == id &&
                        gf_distanceNm(LatLon{stand->latitude, stand->longitude},
                                      LatLon{neighbour->latitude, neighbour->longitude}) <
                            aircraft.radius + gf_wingspanOf(other.key.model))
                    {
                        conflict = true;
                    }
                }
            }
            if (conflict)
            {
                continue;
            }
        }
        const std::string starred = record.callsign + "*";
        bool keptExisting = false;
        for (StaticAc& existing : g_staticAircraft)
        {
            if (existing.origin != 0 || existing.standId != static_cast<std::uint32_t>(stand->numericId) ||
                existing.callsign == starred ||
                (existing.simState != kSimStateAdding && existing.simState != kSimStateActive))
            {
                continue;
            }
            const std::uint64_t arrival = gf_arrivalOf(now, age);
            if (gf_arrivalIndex(arrival) <= gf_arrivalIndex(existing.parkedSince) && arrival != existing.parkedSince)
            {
                ParkCandidate keep;
                keep.identity = existing.identity;
                keep.origin = 0;
                keep.standId = stand->numericId;
                keep.age = static_cast<std::uint32_t>(
                    gf_halfHoursBetween(gf_weekdayOf(existing.parkedSince), gf_slotOf(existing.parkedSince),
                                        gf_weekdayOf(now), gf_slotOf(now)));
                keep.key = existing.key;
                keep.callsign = lf_withoutFinalStar(existing.callsign);
                keep.registration = existing.registration;
                keep.stays = 1;
                lf_addCandidate(std::move(keep));
                keptExisting = true;
                break;
            }
            // Listed, not marked as removing: its removal is queued when the
            // list is worked off, and a removal is queued only once.
            gf_listForRemoval(existing);
        }
        if (keptExisting)
        {
            continue;
        }
        ParkCandidate candidate;
        candidate.identity = record.hexId;
        candidate.origin = 0;
        candidate.standId = stand->numericId;
        candidate.age = age;
        candidate.key = flight.key;
        candidate.callsign = record.callsign;
        candidate.registration = record.registration;
        candidate.stays = 1;
        lf_addCandidate(std::move(candidate));
    }
}

void lf_trimRandom(std::size_t count, std::vector<ParkCandidate>& batch)
{
    for (std::size_t i = batch.size(); i > 1; --i)
    {
        std::swap(batch[i - 1], batch[gf_randomIndex(i)]);
    }
    batch.resize(batch.size() - std::min(count, batch.size()));
}

bool lf_fillByFit(StandSearch& search, std::uint64_t weekdayHour, bool real, bool day, std::int32_t wanted,
                  std::vector<ParkCandidate>& out)
{
    if (wanted <= 0)
    {
        return true;
    }
    const std::size_t before = lf_countChosenStands();
    const std::int32_t maxFit = std::clamp(MAX_FIT.current.load(), 0, 47);
    bool success = false;
    std::int32_t step = 0;
    for (; step <= maxFit; ++step)
    {
        search.searchStands(weekdayHour, real ? kSearchReal : kSearchSoft, day ? kScopeDay : kScopeWeek, step, out,
                            static_cast<std::uint32_t>(step));
        if (static_cast<std::size_t>(wanted) <= lf_countChosenStands())
        {
            success = true;
            break;
        }
        g_parkCandidates.insert(g_parkCandidates.end(), std::make_move_iterator(out.begin()),
                                std::make_move_iterator(out.end()));
        out.clear();
    }
    const std::int32_t reached = std::min(step, maxFit);
    if (real)
    {
        g_fitPassNumber = reached;
        g_currentFitStep = -1;
    }
    else
    {
        g_currentFitStep = reached;
    }
    const std::size_t added = lf_countChosenStands() - before;
    if (added >= 1)
    {
        const char* label = real ? (day ? "real" : "week/real") : (day ? "soft" : "week/soft");
        const std::int32_t slot = static_cast<std::int32_t>(gf_slotOf(weekdayHour));
        gf_log(fmt::format("{} {} position{} found, Max fit={:.1F} hours{}{}", added, label, lf_plural(added),
                           gf_fitHours(MAX_FIT.current.load()),
                           fmt::format(", day {}", gf_weekdayOf(weekdayHour)),
                           fmt::format(", hh:{} or {:.1F} hrs, fit: {:.1F} hour", slot, gf_fitHours(slot),
                                       gf_fitHours(reached))));
        g_fitUsedSoft.store(real ? 0 : 1);
        g_fitUsedOtherDays.store(day ? 0 : 1);
    }
    return success;
}

void lf_fitPass(StandSearch& search, std::uint64_t weekdayHour, std::int32_t wanted, std::int32_t already, bool real,
                bool day)
{
    std::vector<ParkCandidate> batch;
    batch.reserve(kBatchReserve);
    if (!lf_fillByFit(search, weekdayHour, real, day, wanted, batch))
    {
        return;
    }
    const std::int64_t room = static_cast<std::int64_t>(wanted) - already;
    const std::int64_t surplus =
        static_cast<std::int64_t>(g_parkCandidates.size() + batch.size()) - std::max<std::int64_t>(room, 0);
    if (surplus >= 1 && !batch.empty())
    {
        lf_trimRandom(static_cast<std::size_t>(surplus), batch);
    }
    g_parkCandidates.insert(g_parkCandidates.end(), std::make_move_iterator(batch.begin()),
                            std::make_move_iterator(batch.end()));
    if (room >= 0 && g_parkCandidates.size() > static_cast<std::size_t>(room))
    {
        g_parkCandidates.resize(static_cast<std::size_t>(room));
    }
}

void lf_fitPasses(std::uint64_t weekdayHour, std::int32_t wanted, std::int32_t already)
{
    g_fitPassNumber = 0;
    g_currentFitStep = -1;
    g_fitPassesRunning = 1;
    const auto stillWanted = [&]
    { return static_cast<std::int64_t>(wanted) > static_cast<std::int64_t>(g_parkCandidates.size()) + already; };
    const bool week = WEEK.current.load();
    const bool soft = PARK_SOFT.current.load();
    // One search index for the whole fill: the fit steps only add to it.
    StandSearch search;
    lf_fitPass(search, weekdayHour, wanted, already, true, true);
    if (week && stillWanted())
    {
        lf_fitPass(search, weekdayHour, wanted, already, true, false);
    }
    if (soft && stillWanted())
    {
        lf_fitPass(search, weekdayHour, wanted, already, false, true);
    }
    if (week && soft && stillWanted())
    {
        lf_fitPass(search, weekdayHour, wanted, already, false, false);
    }
    g_fitPassesRunning = 0;
}

ParkedTake gf_collectParkedTraffic(std::uint64_t sequence)
{
    try
    {
        return gf_takeParkedTraffic(sequence);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "ParkedTraffic", e.what()));
        return ParkedTake::none;
    }
}

bool gf_armCalcParkedTraffic()
{
    g_calcParkedAnswered = false;
    g_calcParkedSequence = MAX_PARK_SEL.current.load() > 0 ? gf_armParkedTraffic() : 0;
    return g_calcParkedSequence != 0;
}

bool gf_calcParkedTrafficReady()
{
    if (g_calcParkedSequence == 0)
    {
        return true;
    }
    const ParkedTake take = gf_collectParkedTraffic(g_calcParkedSequence);
    if (take == ParkedTake::pending)
    {
        return false;
    }
    g_calcParkedSequence = 0;
    g_calcParkedAnswered = take == ParkedTake::answered;
    return true;
}

void gf_calcStaticParked()
{
    const std::uint64_t now = lf_logDay();
    lf_markBusy();
    g_parkCandidates.clear();
    g_keptPositions.clear();
    g_parkedLive.clear();
    g_staticMeanFitShown.store(-1.0f);
    g_parkedMeanHoursShown.store(-1.0f);
    g_fitUsedSoft.store(0);
    g_fitUsedOtherDays.store(0);
    lf_takeLiveIdentities();
    lf_markReservedStands();

    const bool parkedOnly = RT_PARKTRAFFIC_ONLY.current.load();
    // Records of an earlier request never stand in for this one.
    const bool answered = g_calcParkedAnswered;
    g_calcParkedAnswered = false;
    if (MAX_PARK_SEL.current.load() > 0)
    {
        if (answered)
        {
            lf_pickParkedTraffic();
        }
        if (!parkedOnly)
        {
            gf_log(fmt::format("{} parking position{} from PT", g_parkCandidates.size(),
                               lf_plural(g_parkCandidates.size())));
        }
    }
    const auto byAge = [](const ParkCandidate& a, const ParkCandidate& b) { return a.age < b.age; };
    if (!parkedOnly)
    {
        const std::int32_t limit = gf_wantedParking();
        if (limit > static_cast<std::int32_t>(g_parkCandidates.size()))
        {
            lf_fitPasses(now, limit, 0);
        }
        std::ranges::stable_sort(g_parkCandidates, byAge);
        if (g_parkCandidates.size() > static_cast<std::size_t>(std::max(limit, 0)))
        {
            g_parkCandidates.resize(static_cast<std::size_t>(std::max(limit, 0)));
        }
    }
    lf_showWaitingCandidates();
    if (g_parkCandidates.empty())
    {
        gf_log("no parking positions found");
        lf_markDone();
        return;
    }
    const std::size_t count = g_parkCandidates.size();
    if (parkedOnly)
    {
        gf_log(fmt::format("{} positions from RT parktraffic only\n", count));
    }
    else
    {
        gf_log(fmt::format("{} positions ({}% vs wanted {}%, with Max fit={:.1F} hours)\n", count,
                           gf_percentOf(static_cast<std::int64_t>(count), static_cast<std::int64_t>(g_stands.size())),
                           parking_percentage.current.load(), gf_fitHours(MAX_FIT.current.load())));
    }
    // The back is placed first: the youngest arrivals.
    std::ranges::stable_sort(g_parkCandidates, [&](const ParkCandidate& a, const ParkCandidate& b)
                             { return byAge(b, a); });
}

void lf_checkStaticStand()
{
    if (g_parkCandidates.empty() || g_stands.empty())
    {
        return;
    }
    ParkCandidate candidate = std::move(g_parkCandidates.back());
    g_parkCandidates.pop_back();
    lf_showWaitingCandidates();

    // The id comes from a calculation that may be older than the stand list:
    // it is checked before anything is looked up by it.
    const Stand* stand = candidate.standId >= 1 ? gf_findStand(candidate.standId) : nullptr;
    if (stand == nullptr)
    {
        gf_logWarning(fmt::format("stand with id {} not found",
                                  gf_standName(static_cast<std::uint32_t>(std::max(candidate.standId, 0)))));
        return;
    }
    const auto standId = static_cast<std::uint32_t>(stand->numericId);
    const double radius = gf_wingspanOf(candidate.key.model);
    const auto isNeighbour = [&](std::uint32_t id)
    { return std::ranges::find(stand->adjacent, static_cast<std::int32_t>(id)) != stand->adjacent.end(); };
    const auto touches = [&](std::uint32_t id, double otherRadius)
    {
        const Stand* other = gf_findStand(static_cast<std::int32_t>(id));
        return other != nullptr && lf_standsTooClose(*stand, radius, *other, otherRadius);
    };

    for (const LiveAc& live : g_liveAircraft)
    {
        if (live.situation != kSituationParking && live.situation != kSituationParked)
        {
            continue;
        }
        if (live.standId == standId)
        {
            gf_log(fmt::format("{:8}: no static parking for {}, live aircraft {} standing here", stand->name,
                               candidate.callsign, live.callsign));
            return;
        }
        if (live.standId >= 1 && isNeighbour(live.standId) && touches(live.standId, live.radius))
        {
            gf_log(fmt::format("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding",
                               stand->name, candidate.callsign, live.callsign, gf_standName(live.standId)));
            return;
        }
    }
    for (const StaticAc& other : g_staticAircraft)
    {
        if (other.standId == standId ||
            (other.standId >= 1 && isNeighbour(other.standId) && touches(other.standId, other.radius)))
        {
            gf_log(fmt::format("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly colliding",
                               stand->name, candidate.callsign, other.callsign, gf_standName(other.standId)));
            return;
        }
    }
    if (stand->occupied != 0)
    {
        gf_log(fmt::format("{:8}: no static parking for {}, live aircraft occupies the stand", stand->name,
                           candidate.callsign));
        return;
    }

    const std::uint32_t key = gf_nextStaticKey();
    if (key == 0)
    {
        return;
    }
    FlightBase flight;
    flight.key = candidate.key;
    flight.callsign = lf_detcs(candidate, key);
    flight.secondCallsign = candidate.callsign;
    flight.text = candidate.callsign2;
    flight.registration = candidate.registration;
    const AiAircraftRecord record = gf_makeAiRecord(flight, key);
    StaticAc placed =
        gf_makeStaticAc(record, standId, stand->latitude, stand->longitude, stand->heading, stand->cargo);
    if (!gf_matchLivery(placed, stand->name, stand->cargo != 0))
    {
        return;
    }
    placed.origin = candidate.origin;
    placed.identity = candidate.identity;
    placed.parkedSince = gf_arrivalOf(g_weekdayHour.load(), candidate.age);
    placed.simState = kSimStateAdding;

    CreateRequest request;
    request.initPosition.Latitude = placed.latitude;
    request.initPosition.Longitude = placed.longitude;
    request.initPosition.Altitude = g_parkAirport.elevation;
    request.initPosition.Heading = placed.heading * kRadToDeg;
    request.initPosition.OnGround = 1;
    request.callsign = placed.callsign;
    request.liveryTitle = placed.liveryTitle;
    request.key = key;
    g_staticAircraft.push_back(std::move(placed));
    g_createQueueStatic.push_back(std::move(request));
}

} // namespace ovr
