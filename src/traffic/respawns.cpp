#include "traffic/respawns.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <optional>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand.h"
#include "airports/stand_learning.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/regcode_tables.h"
#include "liveries/registration_lookup.h"
#include "traffic/live_lists.h"
#include "traffic/making_way.h"
#include "traffic/park_airports.h"

namespace ovr
{

std::vector<std::string> g_liveCallsigns;

namespace
{

constexpr double kSamePositionDeg = 1e-8;
constexpr std::int64_t kMaxParkedMinutes = 90;
constexpr std::int64_t kMaxParkedMinutesHeavy = 180;
constexpr std::uint32_t kHeavy = 3;

bool lf_isGhost(std::string_view callsign)
{
    return !callsign.empty() && callsign.back() == '_';
}

// A removal that fails is tried again by the next check that finds the
// aircraft.
void lf_removeQuietly(StaticAc& aircraft)
{
    try
    {
        removeAircraftFromSim(aircraft);
    }
    catch (const std::exception&)
    {
    }
}

// The route of a live aircraft: StaticAc's own `origin` (where a static's
// candidate came from) hides the flight's.
FlightBase& lf_flight(LiveAc& aircraft)
{
    return aircraft;
}

LiveAc* lf_activeOnStand(std::uint32_t standId)
{
    const auto it = std::ranges::find_if(g_liveAircraft,
                                         [&](const LiveAc& a)
                                         {
                                             return a.standId == standId && a.simState == kSimStateActive &&
                                                    (a.situation == kSituationParked ||
                                                     a.situation == kSituationPushingBack);
                                         });
    return it == g_liveAircraft.end() ? nullptr : &*it;
}

// As lf_realFlightExists, but the aircraft itself does not count: a flight
// renamed to its own ghost is no duplicate.
bool lf_otherRealFlightExists(const LiveAc& ac, std::string_view ghostCallsign)
{
    const std::string_view real = gf_withoutGhostMark(ghostCallsign);
    return std::ranges::any_of(g_liveAircraft, [&](const LiveAc& a)
                               { return &a != &ac && a.callsign == real && a.simState != kSimStateRemoving; });
}

void lf_respawnOrThrow(LiveAc& ac)
{
    PositionSample sample = ac.samples.empty() ? PositionSample{} : ac.samples.front();
    if (ac.situation == kSituationParked)
    {
        // It comes back on its stand, standing, facing the way it stood.
        if (!ac.samples.empty())
        {
            ac.samples.resize(1);
            ac.samples.front().onGround = 1;
            ac.samples.front().groundSpeed = 0.0;
            ac.samples.front().track = ac.cur.heading * kRadToDeg;
        }
        sample.onGround = 1;
        sample.groundSpeed = 0.0;
        sample.track = ac.cur.heading * kRadToDeg;
    }
    else
    {
        const bool standsHere = std::fabs(sample.latitude - ac.cur.latitude) < kSamePositionDeg &&
                                std::fabs(sample.longitude - ac.cur.longitude) < kSamePositionDeg;
        sample.latitude = ac.cur.latitude;
        sample.longitude = ac.cur.longitude;
        sample.altitude = ac.cur.altitude;
        sample.roll = ac.cur.bank;
        sample.rollKnown = 1;
        if (standsHere)
        {
            sample.onGround = 1;
        }
    }
    sample.playMoment = g_clock.load() + 1;
    ac.samples.push_front(sample);
    ac.simState = kSimStateLiveryRespawn;
    ac.respawnHeading = ac.cur.heading;
    ac.respawnMark = 1;
    if (ac.objectId != 0 && g_followedObjectId.load() == ac.objectId)
    {
        g_followedObjectId.store(0);
        gf_updateBlockedList();
    }
    if (ac.objectId == 0)
    {
        gf_log(fmt::format("{} removing act {} with objectid=0 ?", "liveryRespawn", gf_flightText(ac)));
        return;
    }
    gf_queueObjectRemoval(ac.objectId);
}

} // namespace

void lf_takeRecordIdentity(LiveAc& ac, const TrafficRecord& record)
{
    FlightBase& flight = lf_flight(ac);
    if (!record.origin.empty() && record.origin != flight.origin)
    {
        flight.origin = record.origin;
    }
    if (!record.destination.empty() && record.destination != flight.destination)
    {
        flight.destination = record.destination;
    }
    if (!record.callsign.empty() && record.callsign != ac.callsign)
    {
        ac.callsign = record.callsign;
        g_liveAircraft.identityChanged();
    }
    if (!record.registration.empty() && record.registration != ac.registration)
    {
        ac.registration = record.registration;
    }
}

RouteChange lf_routeChanged(LiveAc& ac, const TrafficRecord& record)
{
    FlightBase& flight = lf_flight(ac);
    bool filled = false;
    if (flight.origin.empty() && !record.origin.empty())
    {
        flight.origin = record.origin;
        filled = true;
    }
    if (flight.destination.empty() && !record.destination.empty())
    {
        flight.destination = record.destination;
        filled = true;
    }
    const bool allKnown = !flight.origin.empty() && !flight.destination.empty() && !record.origin.empty() &&
                          !record.destination.empty();
    if (allKnown && record.origin != flight.origin && record.destination != flight.destination)
    {
        // An aircraft that came here and is already reported for its flight
        // back home keeps the route it came with until it leaves.
        const bool returnFlight = !g_parkAirport.icao.empty() && record.origin == g_parkAirport.code3 &&
                                  record.destination == flight.origin;
        if (!returnFlight)
        {
            flight.origin = record.origin;
            flight.destination = record.destination;
            if (ac.groundMode != 0 && ac.situation != kSituationParking && ac.situation != kSituationParked &&
                ac.situation != kSituationTaxi)
            {
                ac.previousSituation = ac.situation;
                ac.situation = kSituationTaxi;
            }
            return RouteChange::changed;
        }
    }
    return filled ? RouteChange::filled : RouteChange::unchanged;
}

bool lf_identityFromRegistration(LiveAc& ac, const TrafficRecord& record)
{
    bool changed = false;
    const auto title = g_regcodeTitles.find(record.registration);
    // A failed title is never given again: counting it as another livery
    // would respawn the aircraft at every record.
    if (title != g_regcodeTitles.end() && !title->second.empty() && title->second != ac.liveryTitle &&
        !gf_isFailedTitle(title->second))
    {
        changed = true;
    }
    const std::optional<FlightKey> hit = gf_findRegistrationKey(record.registration);
    if (hit && !gf_sameAirlineAndType(*hit, ac.key))
    {
        changed = true;
    }
    if (changed && hit)
    {
        ac.key = *hit;
        g_liveAircraft.identityChanged();
    }
    return changed;
}

bool lf_identityChanged(LiveAc& ac, const TrafficRecord& record)
{
    if (record.registration.empty())
    {
        return false;
    }
    bool changed = false;
    if ((ac.registration == ac.callsign && ac.registration != record.registration) ||
        ac.registration == record.registration)
    {
        changed = lf_identityFromRegistration(ac, record);
    }
    else if (const std::optional<FlightKey> hit = gf_findRegistrationKey(record.registration);
             hit && !gf_sameAirlineAndType(*hit, ac.key))
    {
        const std::optional<std::string> airline = gf_airlineFromCallsign(record.callsign);
        const std::optional<std::uint16_t> airlineId =
            airline ? g_airlineCodes.find(*airline) : std::optional<std::uint16_t>{};
        if (airlineId && *airlineId != 0 && (*airlineId == hit->airline || *airlineId == hit->secondAirline))
        {
            ac.key = *hit;
            g_liveAircraft.identityChanged();
            changed = true;
        }
    }
    ac.registration = record.registration;
    if (changed && ac.situation == kSituationParked && ac.standId != 0)
    {
        // What stood here is learned under its new name.
        lf_addRealStandOption(static_cast<std::int32_t>(ac.standId), ac, 0);
    }
    return changed;
}

void lf_forgetLivery(LiveAc& ac)
{
    gf_forgetLivery(ac.aiKey);
    ac.liveryTitle = {};
    // Born again it holds no stand: the spawn gives it one afresh, and the
    // one it stood on must not stay marked by nobody.
    gf_releaseStandOf(ac);
    ac.standId = 0;
    if (ac.situation != kSituationBirth)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationBirth;
    }
}

void liveryRespawn(LiveAc& ac)
{
    try
    {
        lf_respawnOrThrow(ac);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{}: {}", "liveryRespawn", e.what()));
    }
}

bool gf_checkRespawn(LiveAc& ac, const TrafficRecord& record)
{
    if (ac.takeOffMark != 0 || ac.landingMark != 0)
    {
        return true;
    }
    if (ac.simState == kSimStateBuffer)
    {
        lf_takeRecordIdentity(ac, record);
        return true;
    }
    const bool extrapolating = ac.extrapolationCount > 0;
    if (ac.simState != kSimStateActive || ac.situation == kSituationPushingBack || extrapolating)
    {
        return true;
    }
    const RouteChange route = lf_routeChanged(ac, record);
    const bool identityChanged = lf_identityChanged(ac, record);
    const bool callsignChanged =
        !record.callsign.empty() && record.callsign != ac.callsign && record.callsign != ac.registration;
    if (callsignChanged)
    {
        if (!lf_isGhost(record.callsign))
        {
            // The aircraft that flew as the ghost is the real flight now:
            // it is not a duplicate of itself.
            if (ac.callsign != fmt::format("{}_", record.callsign))
            {
                lf_ghostReplaced(record.callsign);
            }
        }
        else if (lf_otherRealFlightExists(ac, record.callsign))
        {
            return false;
        }
        ac.callsign = record.callsign;
        g_liveAircraft.identityChanged();
        ac.secondCallsign = record.callsign;
        ac.text.clear();
    }
    else if (!identityChanged && route == RouteChange::unchanged)
    {
        return true;
    }
    if (!GUID_CHANGES.current.load())
    {
        return true;
    }
    gf_log(fmt::format("          {} respawns", gf_flightText(ac)));
    liveryRespawn(ac);
    if (identityChanged)
    {
        lf_forgetLivery(ac);
    }
    return false;
}

void lf_ghostReplaced(std::string_view callsign)
{
    const std::string ghost = fmt::format("{}_", callsign);
    // Ghosts are rare: the index answers for the whole list at once.
    if (!g_liveAircraft.hasCallsign(ghost))
    {
        return;
    }
    const auto it = std::ranges::find_if(g_liveAircraft, [&](const LiveAc& a)
                                         { return a.callsign == ghost && a.simState != kSimStateRemoving; });
    if (it == g_liveAircraft.end())
    {
        return;
    }
    if (it->situation == kSituationParked)
    {
        gf_log(fmt::format("{:8}: {:8} is a ghost and will be removed, continue with {}", gf_standName(it->standId),
                           it->callsign, callsign));
    }
    else
    {
        gf_log(fmt::format("          {:8} is a ghost and will be removed, continue with {}", it->callsign, callsign));
    }
    g_liveCallsigns.push_back(ghost);
    lf_removeQuietly(*it);
}

bool lf_realFlightExists(std::string_view ghostCallsign)
{
    if (!lf_isGhost(ghostCallsign))
    {
        return false;
    }
    const std::string_view real = gf_withoutGhostMark(ghostCallsign);
    return std::ranges::any_of(g_liveAircraft, [&](const LiveAc& a)
                               { return a.callsign == real && a.simState != kSimStateRemoving; });
}

bool lf_standWanted(std::int32_t standId, std::string_view callsign)
{
    LiveAc* occupant = standId > 0 ? lf_activeOnStand(static_cast<std::uint32_t>(standId)) : nullptr;
    if (occupant == nullptr)
    {
        return true;
    }
    const std::string standName = gf_standName(occupant->standId);
    const std::string_view held = occupant->callsign;
    if (held == callsign)
    {
        gf_log(fmt::format("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ", standName, held,
                           callsign));
        lf_removeQuietly(*occupant);
        return true;
    }
    // A ghost never takes the stand of a real flight, its own included.
    if (lf_isGhost(callsign) && !lf_isGhost(held))
    {
        return false;
    }
    if (lf_isGhost(held) && !lf_isGhost(callsign))
    {
        gf_log(fmt::format("{:8}: {:8} ghost, replace by {}", standName, held, callsign));
        if (gf_withoutGhostMark(held) == callsign)
        {
            g_liveCallsigns.emplace_back(held);
        }
        lf_removeQuietly(*occupant);
        return true;
    }
    if (occupant->reportedAtStand != 0)
    {
        return false;
    }
    gf_log(fmt::format("{:8}: {:8} removed because another live {} wants the stand ...", standName, held, callsign));
    lf_removeQuietly(*occupant);
    return true;
}

void lf_removeStaticsFor(const LiveAc& live)
{
    if (live.callsign.empty())
    {
        return;
    }
    const std::string_view real = gf_withoutGhostMark(live.callsign);
    const bool ghost = lf_isGhost(live.callsign);
    const auto named = [&](std::string_view name)
    {
        return !name.empty() && (name == live.callsign || name == live.text || (ghost && name == real));
    };
    const auto it = std::ranges::find_if(g_staticAircraft,
                                         [&](const StaticAc& s)
                                         {
                                             if (s.simState != kSimStateActive)
                                             {
                                                 return false;
                                             }
                                             return (s.origin == 0 && s.identity != 0 &&
                                                     s.identity == live.aiKey) ||
                                                    (!live.registration.empty() &&
                                                     s.registration == live.registration) ||
                                                    named(s.secondCallsign) || named(s.text);
                                         });
    if (it != g_staticAircraft.end())
    {
        lf_removeQuietly(*it);
    }
}

void lf_removeStaticsReplacedByLive()
{
    for (const LiveAc& live : g_liveAircraft)
    {
        if (live.simState != kSimStateActive || live.groundMode == 0)
        {
            continue;
        }
        const std::string starred = fmt::format("{}*", live.callsign);
        const auto it = std::ranges::find_if(g_staticAircraft,
                                             [&](const StaticAc& s)
                                             {
                                                 return s.simState == kSimStateActive &&
                                                        ((!live.registration.empty() &&
                                                          s.registration == live.registration) ||
                                                         (!live.callsign.empty() && s.callsign == starred));
                                             });
        if (it != g_staticAircraft.end())
        {
            lf_removeQuietly(*it);
            return;
        }
    }
}

void gf_clearStaticsOnTaxiPaths()
{
    if (g_staticAircraft.empty())
    {
        return;
    }
    for (LiveAc& live : g_liveAircraft)
    {
        if (live.simState != kSimStateActive || live.groundMode == 0 ||
            (live.situation != kSituationTaxi && live.situation != kSituationParking))
        {
            continue;
        }
        if (live.cur.latitude == live.pathCheckLatitude && live.cur.longitude == live.pathCheckLongitude)
        {
            continue;
        }
        lf_clearStaticsInPath(live);
    }
}

void lf_clearStaticsInPath(LiveAc& live)
{
    if (live.groundMode == 0 || live.takeOffMark != 0 || live.touchdownMark != 0)
    {
        return;
    }
    live.pathCheckLatitude = live.cur.latitude;
    live.pathCheckLongitude = live.cur.longitude;
    const LatLon here{live.cur.latitude, live.cur.longitude};
    const auto it = std::ranges::find_if(g_staticAircraft,
                                         [&](const StaticAc& s)
                                         {
                                             return s.simState == kSimStateActive && s.callsign != live.callsign &&
                                                    gf_distanceNm(here, LatLon{s.latitude, s.longitude}) <=
                                                        gf_standClearanceNm(live.radius, s.radius);
                                         });
    if (it != g_staticAircraft.end())
    {
        lf_removeQuietly(*it);
    }
}

void gf_checkParkedLiveAc()
{
    const std::int64_t now = gf_loopClock().now().time_since_epoch().count();
    const bool keepAll = INITIAL_LOAD_ONLY.current.load();
    for (LiveAc& live : g_liveAircraft)
    {
        if (live.simState != kSimStateActive || live.situation != kSituationParked)
        {
            continue;
        }
        std::uint32_t minutes = 0;
        if (live.reportedAtStand == 0)
        {
            const auto parked = std::chrono::nanoseconds(std::max<std::int64_t>(now - live.parkedTime, 0));
            const auto limit =
                std::chrono::minutes(live.category == kHeavy ? kMaxParkedMinutesHeavy : kMaxParkedMinutes);
            if (parked > limit && !keepAll)
            {
                lf_removeQuietly(live);
                continue;
            }
            minutes = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::minutes>(parked).count());
        }
        g_parkedLive.push_back(ParkedLive{live.callsign, 0, live.standId, minutes});
    }
    std::ranges::sort(g_parkedLive, {}, &ParkedLive::minutesParked);
}

} // namespace ovr
