#include "traffic/live_life.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/stand_learning.h"
#include "airports/stand_marks.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/user_error.h"
#include "core/user_on_ground.h"
#include "liveries/livery_matching.h"
#include "liveries/registration_lookup.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/flight_plans.h"
#include "traffic/live_lists.h"
#include "traffic/live_parking.h"
#include "traffic/respawns.h"
#include "traffic/motion_model.h"

namespace ovr
{

namespace
{

constexpr std::size_t kMostSamples = 200;
constexpr std::size_t kMostQueuedCreates = 11;
constexpr double kUserGroundHoldKt = 8.0;
constexpr double kUserGroundClearNm = 500.0 / 1852.0;
constexpr double kGroundHoldNm = 0.0809935; // 150 m
constexpr double kSamePositionDeg = 1e-8;
constexpr double kNearPositionDeg = 0.00015;
constexpr std::int64_t kCreationWaitTicks = 6000; // a minute
// Feet of the centre of gravity over the wheels, by category 0..5.
constexpr std::array<double, 6> kTypicalCgHeightFt{4.0, 6.0, 9.0, 14.0, 6.0, 5.0};
constexpr double kRestartPitchDeg = 0.6;
constexpr double kTwoPi = 2.0 * kPi;
constexpr std::uint32_t kRotorcraft = 5;
// A parked aircraft's samples within this of its stand keep it there (twice
// as far right after it drove in); beyond kStandGoneNm it left unseen.
constexpr double kStandNearNm = 0.0458963;  // 85 m
constexpr double kStandGoneNm = 0.108;      // 200 m
constexpr double kPullOutStepNm = 0.00162;  // 3 m

// Active and adding2sim live aircraft, counted at the start of each pass and
// kept up to date by the spawns and removals of the pass.
std::int64_t g_liveSlots = 0;

double lf_normalisedHeading(double heading)
{
    double h = std::fmod(heading, kTwoPi);
    if (h < 0.0)
    {
        h += kTwoPi;
    }
    if (std::fabs(h - kTwoPi) < 1e-12)
    {
        h = 0.0;
    }
    return h;
}

LatLon lf_at(const PositionSample& s)
{
    return LatLon{s.latitude, s.longitude};
}

LatLon lf_userAt()
{
    return LatLon{g_userPos.latitude, g_userPos.longitude};
}

bool lf_samePosition(const PositionSample& a, const PositionSample& b, double tolerance)
{
    return std::fabs(a.latitude - b.latitude) < tolerance && std::fabs(a.longitude - b.longitude) < tolerance;
}

void lf_removeCounted(LiveAc& ac)
{
    const bool held = ac.simState == kSimStateActive || ac.simState == kSimStateAdding;
    removeAircraftFromSim(ac);
    if (held && ac.simState != kSimStateActive && ac.simState != kSimStateAdding)
    {
        --g_liveSlots;
    }
}

bool lf_mixedStream(const LiveAc& ac)
{
    bool air = false;
    bool ground = false;
    for (const PositionSample& s : ac.samples)
    {
        (s.airborne != 0 ? air : ground) = true;
    }
    return air && ground;
}

void lf_takeIdentity(LiveAc& ac)
{
    if (ac.key.mark == 0)
    {
        if (const std::optional<FlightKey> registered = gf_findRegistrationKey(ac.registration))
        {
            ac.key = *registered;
            g_liveAircraft.identityChanged();
        }
    }
    if (ac.key.airline == 0)
    {
        const std::optional<std::string> airline = gf_airlineFromCallsign(ac.callsign);
        ac.key.airline = gf_airlineId(airline ? *airline : std::string("PVT"));
    }
}

void lf_setFlightPlan(LiveAc& ac)
{
    // StaticAc's own `origin` (the candidate's source) hides the route's.
    const FlightBase& flight = ac;
    if (flight.origin.empty() || flight.destination.empty())
    {
        return;
    }
    const std::filesystem::path path = lf_flightPlanPath(ac.objectId);
    bool set = lf_writeFlightPlan(path, ac);
    if (set && g_simIs2020.load() != 0)
    {
        const std::string narrow = gf_utf8ToAcp(gf_pathToUtf8(path));
        const std::lock_guard lock(g_simConnectMutex);
        set = SimConnect_AISetAircraftFlightPlan(g_simConnect, ac.objectId, narrow.c_str(), kReqFlightPlan) == 0;
    }
    ac.flightPlanSet = set ? 1 : 0;
    if (!set)
    {
        gf_log(fmt::format("{} creating a flight plan failed", gf_flightText(ac)));
    }
}

void lf_placeOnGround(LiveAc& ac)
{
    ac.groundMode = 1;
    gf_setGear(ac, true);
    ac.verticalStep = 0.0;
    if (ac.situation == kSituationParked)
    {
        ac.parkedSince = g_weekdayHour.load();
        // From now on the stand is taken: an aircraft taxiing in finds it so.
        gf_setStandOccupied(ac.standId, true);
        gf_log(fmt::format("{:8}: {:8} parks", gf_standName(ac.standId), ac.callsign));
        std::erase_if(g_parkCandidates, [&](const ParkCandidate& c)
                      { return c.standId == static_cast<std::int32_t>(ac.standId); });
        for (StaticAc& st : g_staticAircraft)
        {
            if (st.standId == ac.standId && st.simState == kSimStateActive)
            {
                gf_log(fmt::format("{:8}: {:8} parks over static {} ", gf_standName(ac.standId), ac.callsign,
                                   st.callsign));
                removeAircraftFromSim(st);
                break;
            }
        }
    }
    ac.attitudeTicks = 1;
}

void lf_updateActive(LiveAc& ac)
{
    if (ac.samples.empty())
    {
        gf_log(fmt::format("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{}, TAS:{:.0f}",
                           "updateLiveAc", gf_flightText(ac), ac.aiKey, gf_idToText(ac.objectId), ac.cur.altitude,
                           fmt::format("{:.6f},{:.6f}", ac.cur.latitude, ac.cur.longitude), ac.cur.trueAirspeed));
        lf_removeCounted(ac);
        return;
    }
    if (g_clock.load() >= ac.samples.front().playMoment)
    {
        nextPosMain(ac);
        ac.cur.verticalSpeed = ac.segmentVerticalSpeed / 60.0;
        ac.cur.trueAirspeed =
            !ac.samples.empty() && ac.samples.front().onGround != 0 ? 0.0 : ac.segmentAirspeed;
    }
    if (ac.simState != kSimStateActive)
    {
        return;
    }
    if (!ac.samples.empty() && ac.samples.front().onGround == 0)
    {
        lf_curveStep(ac);
    }
    if (ac.objectId != 0)
    {
        g_posUpdates[0]->push_back(PosUpdate{ac.cur.latitude, ac.cur.longitude, ac.cur.pitch, ac.cur.bank,
                                             ac.cur.heading, ac.cur.altitude, ac.cur.verticalSpeed,
                                             ac.cur.trueAirspeed, ac.objectId});
        return;
    }
    gf_log(fmt::format("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", ac.aiKey,
                       ac.callsign, ac.registration, gf_modelKeyText(ac), ac.samples.size()));
    lf_removeCounted(ac);
}

// While it is pushed straight back, a sample tells which way the tail will
// swing: towards the side the aircraft heads for.
void lf_learnTurnSide(LiveAc& ac, const PositionSample& sample)
{
    if (STRAIGHT_PBS_ONLY.current.load() || ac.motion.pushbackStage != 2)
    {
        return;
    }
    double towards = 0.0;
    if (sample.headingKnown != 0)
    {
        towards = sample.trueHeading;
    }
    else if (sample.track != 0.0)
    {
        towards = sample.track * kDegToRad;
    }
    else
    {
        return;
    }
    const double turn = std::remainder(lf_normalisedHeading(towards) - ac.cur.heading, kTwoPi);
    ac.motion.turnSide = turn > 0.0 ? 1 : 0;
    ac.motion.turnSideKnown = 1;
}

// A pushed-back aircraft waits until its samples lie clearly away from it:
// then it rolls on as a taxiing aircraft that has left its stand.
bool lf_pushedBackSample(LiveAc& ac, PositionSample& sample)
{
    const double d = gf_distanceNm(LatLon{ac.cur.latitude, ac.cur.longitude}, lf_at(sample));
    MotionState& m = ac.motion;
    if ((d > 2.75 * ac.radius && d > m.pushedBackDistance) || d > 6.0 * ac.radius)
    {
        sample.onGround = 0;
        if (ac.extrapolationCount > 0 || ac.extrapolated != 0)
        {
            if (!ac.samples.empty())
            {
                ac.samples.front().playMoment = g_clock.load() + 1;
            }
            lf_endExtrapolation(ac);
            ac.slackEarly = 3000;
            ac.slackLate = ac.takeOffMark != 0 ? 5000 : 3000;
        }
        m.turnSideKnown = 0;
        m.pushbackStage = 0;
        ac.previousSituation = ac.situation;
        ac.situation = kSituationTaxi;
        ac.latitude = 0.0;
        ac.longitude = 0.0;
        ac.standId = 0;
        ac.standFlagCopy = 0;
        ac.extrapolated = 0;
        return true;
    }
    if (ac.extrapolated == 0)
    {
        ac.extrapolated = 1;
        ac.extrapolationStart = g_clock.load();
    }
    m.pushedBackDistance = d;
    return false;
}

// How long an aircraft of the category stands at least before it flies on;
// a shorter stay that ends in a move is a tow to another stand.
std::int64_t lf_towedBelowSeconds(std::uint32_t category)
{
    switch (category)
    {
    case 3:
        return 3600;
    case 2:
        return 1500;
    case 1:
        return 900;
    default:
        return 0;
    }
}

// A parked or parking aircraft whose samples go clearly away from the stand.
bool lf_standSample(LiveAc& ac, PositionSample& sample)
{
    ac.reportedAtStand = 1;
    const double d = gf_distanceNm(LatLon{ac.latitude, ac.longitude}, lf_at(sample));
    const double nearNm = ac.previousSituation == kSituationParking ? 2.0 * kStandNearNm : kStandNearNm;
    if (d <= nearNm)
    {
        ac.parkedTime = gf_loopClock().now().time_since_epoch().count();
        if (ac.pullOutWatching == 0)
        {
            ac.pullOutWatching = 1;
            ac.pullOutFirstNm = d;
            ac.pullOutLastNm = d;
            ac.pullOutSteps = 0;
            return false;
        }
        if (d >= ac.pullOutLastNm + kPullOutStepNm)
        {
            ++ac.pullOutSteps;
            ac.pullOutLastNm = d;
            const double out = d - ac.pullOutFirstNm;
            if ((ac.pullOutSteps >= 3 && out >= 0.5 * ac.radius) || out > ac.radius)
            {
                lf_pullOut(ac, sample);
                return true;
            }
            return false;
        }
        if (d <= ac.pullOutLastNm - kPullOutStepNm)
        {
            ac.pullOutSteps = 0;
            ac.pullOutLastNm = d;
        }
        return false;
    }
    if (ac.situation == kSituationParking)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationTaxi;
        sample.onGround = 0;
        return true;
    }
    if (d > kStandGoneNm)
    {
        // It turned up far from its stand: it left unseen.
        lf_addRealStandOption(static_cast<std::int32_t>(ac.standId), ac, 3);
        lf_removeCounted(ac);
        return false;
    }
    lf_pullOut(ac, sample);
    return true;
}

bool lf_acceptBySituation(LiveAc& ac, PositionSample& sample)
{
    switch (ac.situation)
    {
    case kSituationPushingBack:
        lf_learnTurnSide(ac, sample);
        return false;
    case kSituationPushedBack:
        return lf_pushedBackSample(ac, sample);
    case kSituationParking:
    case kSituationParked:
        if (ac.simState == kSimStateBuffer || ac.simState == kSimStateAdding)
        {
            return lf_checkGroundSample(ac, sample);
        }
        return lf_standSample(ac, sample);
    case kSituationTaxi:
    case kSituationTakeOff:
    case kSituationFlying:
    {
        // The landing's checks hold until the roll-out ends: on the taxiways
        // turns of any angle are the path.
        if ((ac.landingMark != 0 && (ac.groundMode == 0 || ac.touchdownMark != 0)) || ac.towingMark != 0)
        {
            return checkNewPosDuringLanding(ac, sample);
        }
        if (!lf_checkGroundSample(ac, sample))
        {
            return false;
        }
        if (ac.extrapolationCount > 0)
        {
            if (ac.groundMode == 0 && !ac.samples.empty())
            {
                const double bearing = gf_bearing(lf_at(ac.samples.back()), lf_at(sample));
                double turn = std::fabs(lf_normalisedHeading(bearing) - ac.cur.heading);
                turn = std::min(turn, kTwoPi - turn);
                if (turn >= 100.0 * kDegToRad)
                {
                    return false;
                }
            }
            lf_endExtrapolation(ac);
        }
        return true;
    }
    default:
        return lf_checkGroundSample(ac, sample);
    }
}

} // namespace

void gf_countLiveSlots()
{
    g_liveSlots = std::ranges::count_if(g_liveAircraft, [](const LiveAc& a)
                                        { return a.simState == kSimStateActive || a.simState == kSimStateAdding; });
}

bool lf_aheadOfUser(LiveAc& ac, int mode)
{
    const double maxDistance = mode == 0 ? 4.0 : 6.0;
    const double maxAltitude = mode == 0 ? 1000.0 : 3000.0;
    const double maxSide = mode == 0 ? 700.0 : 4000.0;
    // The height first: most aircraft are at other levels, and it spares
    // them the distance, which every live aircraft costs once a second.
    if (std::fabs(ac.cur.altitude - g_userPos.altitude) >= maxAltitude)
    {
        return false;
    }
    const double d = gf_distanceNm(lf_userAt(), LatLon{ac.cur.latitude, ac.cur.longitude});
    if (d > maxDistance)
    {
        return false;
    }
    double x = ac.cur.heading - gf_bearing(lf_userAt(), LatLon{ac.cur.latitude, ac.cur.longitude});
    x = std::remainder(x, kTwoPi);
    const double feet = d * kFeetPerNm;
    if (std::cos(x) * feet <= 0.0 || std::fabs(std::sin(x)) * feet > maxSide)
    {
        return false;
    }
    lf_removeCounted(ac);
    return true;
}

bool lf_holdNearUser(LiveAc& ac)
{
    const PositionSample& front = ac.samples.front();
    if (g_userOnGround.load() != 0)
    {
        if (ac.holdNearUser != 0)
        {
            const double fromUser = gf_distanceNm(lf_userAt(), lf_at(front));
            if (g_userPos.groundSpeed > kUserGroundHoldKt ||
                (front.airborne == 0 && !(front.groundSpeed <= kUserGroundHoldKt && fromUser >= kUserGroundClearNm)))
            {
                ac.samples.pop_front();
                return true;
            }
        }
        if (COLLISION_USER_GND.current.load() && front.airborne == 0 &&
            gf_distanceNm(lf_userAt(), lf_at(front)) <= kGroundHoldNm)
        {
            ac.samples.pop_front();
            return true;
        }
        return false;
    }
    if (!COLLISION_USER_AIR.current.load())
    {
        return false;
    }
    ac.cur.latitude = front.latitude;
    ac.cur.longitude = front.longitude;
    ac.cur.altitude = front.altitude;
    ac.cur.heading = lf_normalisedHeading(front.track * kDegToRad);
    if (lf_aheadOfUser(ac, 1))
    {
        ac.holdNearUser = 1;
        ac.samples.pop_front();
        return true;
    }
    if (ac.holdNearUser != 0)
    {
        ac.samples.pop_front();
        return true;
    }
    return false;
}

void lf_spawnDecision(LiveAc& ac)
{
    if (ac.samples.empty())
    {
        ac.erase = 1;
        return;
    }
    if (g_clock.load() < ac.samples.front().playMoment)
    {
        return;
    }
    if (ac.samples.size() == 1)
    {
        ac.samples.pop_front();
        ac.erase = 1;
        return;
    }
    if (!ac.callsign.empty() && ac.callsign.back() == '_' &&
        std::ranges::find(g_liveCallsigns, ac.callsign) != g_liveCallsigns.end())
    {
        ac.erase = 1;
        return;
    }
    if (lf_mixedStream(ac))
    {
        ac.samples.pop_front();
        return;
    }
    if (lf_holdNearUser(ac))
    {
        return;
    }
    if (g_createQueueLive.size() >= kMostQueuedCreates && ac.situation == kSituationBirth)
    {
        ac.samples.pop_front();
        return;
    }
    const std::int32_t maxLive = MAX_LIVE_SEL.current.load();
    if (maxLive <= 0)
    {
        ac.erase = 1;
        return;
    }
    if (g_liveSlots >= maxLive)
    {
        const double d = gf_distanceNm(lf_userAt(), lf_at(ac.samples.front()));
        if (gf_removeFarthestLiveAc(d))
        {
            ac.erase = 1;
            return;
        }
        --g_liveSlots;
    }
    const std::string blocked = BLOCK_CALLSIGN.value();
    if (!blocked.empty() && blocked == ac.callsign)
    {
        ac.erase = 1;
        return;
    }
    lf_takeIdentity(ac);
    if (!gf_isRealRegistration(ac.callsign))
    {
        ac.callsign = ac.registration;
        g_liveAircraft.identityChanged();
        if (!gf_isRealRegistration(ac.callsign))
        {
            ac.erase = 1;
            return;
        }
    }
    if (g_noMatch.contains(gf_modelKeyText(ac)))
    {
        ac.erase = 1;
        return;
    }
    if (!ac.callsign.empty() && ac.callsign.back() == '_' && lf_realFlightExists(ac.callsign))
    {
        ac.erase = 1;
        return;
    }
    spawnLiveAc(ac);
}

void spawnLiveAc(LiveAc& ac)
{
    if (ac.samples.size() < 2)
    {
        gf_log(fmt::format("{} sz:{}", "spawnLiveAc", ac.samples.size()));
        return;
    }
    if (ac.samples[1].onGround != 0)
    {
        ac.samples[0].onGround = 1;
        ac.samples[0].groundSpeed = 0.0;
        ac.samples[1].groundSpeed = 0.0;
        if (ac.samples.size() > 2 && ac.samples[2].onGround != 0)
        {
            ac.samples[2].groundSpeed = 0.0;
        }
    }
    else
    {
        ac.samples[0].onGround = 0;
    }
    if (ac.situation == kSituationBirth)
    {
        if (ac.liveryTitle.empty())
        {
            if (const std::optional<std::string_view> remembered = gf_isFailedLivery(ac.aiKey))
            {
                ac.liveryTitle = *remembered;
            }
            else
            {
                gf_matchLivery4SpawnedAc(ac);
                if (!ac.liveryTitle.empty())
                {
                    gf_rememberLivery(ac.aiKey, ac.liveryTitle);
                }
            }
        }
        if (ac.liveryTitle.empty())
        {
            if (!ac.registration.empty())
            {
                g_noMatch.insert(gf_modelKeyText(ac));
            }
            ac.erase = 1;
            return;
        }
        if (ac.samples.front().airborne != 0)
        {
            ac.previousSituation = ac.situation;
            ac.situation = kSituationFlying;
        }
        else if (const std::optional<Stand> stand = lf_standForNewAc(ac))
        {
            ac.latitude = stand->latitude;
            ac.longitude = stand->longitude;
            ac.heading = stand->heading;
            ac.standId = static_cast<std::uint32_t>(stand->numericId);
            ac.standFlagCopy = stand->cargo;
            ac.previousSituation = ac.situation;
            ac.situation = kSituationParked;
            ac.parkedSince = g_weekdayHour.load();
            ac.parkedTime = gf_loopClock().now().time_since_epoch().count();
            ac.pullOutWatching = 0;
            ac.pullOutSteps = 0;
            lf_cargoStand(ac);
            ac.samples.resize(1);
            ac.samples.front().latitude = stand->latitude;
            ac.samples.front().longitude = stand->longitude;
            ac.samples.front().track = stand->heading * kRadToDeg;
            lf_addRealStandOption(stand->numericId, ac, 1);
            gf_checkMaxPark(1);
        }
        else if (ac.samples[1].onGround != 0)
        {
            ac.samples.pop_front();
            return;
        }
        else
        {
            ac.previousSituation = ac.situation;
            ac.situation = kSituationTaxi;
        }
    }
    if (ac.erase != 0)
    {
        return;
    }
    lf_initialAttitude(ac);
    ac.simState = kSimStateAdding;
    ac.addingSince = g_clock.load();
    ++g_liveSlots;
    g_addingStack.push_back(ac.aiKey);
    if (!ac.callsign.empty() && ac.callsign.back() != '_')
    {
        lf_ghostReplaced(ac.callsign);
    }
}

void lf_initialAttitude(LiveAc& ac)
{
    gf_queuePendingInit(ac.aiKey);
    const PositionSample& front = ac.samples.front();
    ac.cur.latitude = front.latitude;
    ac.cur.longitude = front.longitude;
    ac.cur.altitude = front.altitude;
    if (front.airborne == 0 && front.altitude == 0.0)
    {
        // A ground sample carries no altitude: at the park airport the
        // aircraft appears at its elevation, not below the ground, until the
        // simulator reports the ground under it.
        const std::lock_guard lock(g_parkAirportsMutex);
        if (!g_parkAirport.icao.empty())
        {
            ac.cur.altitude = static_cast<double>(g_parkAirport.elevation);
        }
    }
    if (front.airborne == 0)
    {
        // Created on its wheels, not on its belly: until the simulator
        // reports the aircraft's own height, a typical one of its kind.
        if (ac.staticCgHeight <= 0.0)
        {
            ac.staticCgHeight = kTypicalCgHeightFt[std::min<std::size_t>(ac.category, kTypicalCgHeightFt.size() - 1)];
        }
        ac.cur.altitude += ac.staticCgHeight;
    }
    ac.cur.trueAirspeed = front.trueAirspeed;
    ac.cur.verticalSpeed = front.verticalRate / 60.0;
    ac.segmentVerticalSpeed = front.verticalRate;
    ac.segmentAirspeed = front.trueAirspeed;
    if (front.airborne != 0)
    {
        ac.cur.pitch = gf_pitchForRate(front.verticalRate);
    }
    else
    {
        ac.cur.pitch = kRestartPitchDeg * kDegToRad;
    }
    ac.cur.bank = front.rollKnown != 0 ? front.roll : 0.0;
    double heading = 0.0;
    if (ac.respawnMark != 0)
    {
        heading = ac.respawnHeading;
    }
    else if (ac.situation == kSituationParked)
    {
        heading = ac.heading;
    }
    else if (ac.samples[1].onGround != 0)
    {
        heading = front.track * kDegToRad;
    }
    else
    {
        heading = gf_bearing(lf_at(front), lf_at(ac.samples[1]));
    }
    ac.cur.heading = lf_normalisedHeading(heading);
    ac.course = ac.cur.heading;
    ac.headingStep = 0.0;
    ac.holdNearUser = 0;
}

bool gf_onLiveAcCreated(LiveAc& ac, const SimEvent& event)
{
    // Ids up to the user aircraft's are never one of ours (2 while the
    // simulator has not named the user's); every id above it may be.
    if (event.objectId < 3 && event.objectId <= g_userObjectId.load())
    {
        return false;
    }
    ac.objectId = event.objectId;
    ac.aboveGround = event.b;
    if (!ac.samples.empty() && ac.samples.front().airborne == 0)
    {
        lf_placeOnGround(ac);
    }
    else
    {
        gf_configureAirSpawn(ac);
    }
    lf_setFlightPlan(ac);
    bool failed = false;
    {
        const std::lock_guard lock(g_simConnectMutex);
        failed = SimConnect_RequestDataOnSimObject(g_simConnect, kReqStaticValues, kDefStaticValues, ac.objectId,
                                                   SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0) < 0;
    }
    if (failed)
    {
        gf_log("SimConnect request StaticCG fails");
        gf_onSimRequestError();
    }
    return true;
}

// A creation the simulator never confirms would hold the aircraft, and its
// slot, for the session: after a bounded wait it is dropped (an object that
// still comes is removed as one of an aircraft no longer known).
static void lf_waitForCreation(LiveAc& ac)
{
    if (ac.objectId != 0 || g_clock.load() - ac.addingSince <= kCreationWaitTicks)
    {
        return;
    }
    gf_log(fmt::format("{} {} not created within {} s, dropped", "updateLiveAc", gf_flightText(ac),
                       kCreationWaitTicks / 100));
    gf_eraseQueuedCreate(g_createQueueLive, ac);
    ac.erase = 1;
}

bool updateLiveAc(LiveAc& ac)
{
    try
    {
        switch (ac.simState)
        {
        case kSimStateBuffer:
            lf_spawnDecision(ac);
            break;
        case kSimStateActive:
            lf_updateActive(ac);
            break;
        case kSimStateAdding:
            lf_waitForCreation(ac);
            break;
        default:
            break;
        }
    }
    catch (const UserErrorException&)
    {
        throw;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "updateLiveAc", e.what(), gf_flightText(ac),
                           ac.samples.size(), gf_situationText(ac.situation), gf_simStateText(ac.simState)));
    }
    return ac.erase != 0 || ac.createCancelled != 0;
}

bool lf_checkGroundSample(LiveAc& ac, PositionSample& sample)
{
    if (ac.samples.empty())
    {
        return true;
    }
    const PositionSample& newest = ac.samples.back();
    const bool repeated = lf_samePosition(sample, newest, kSamePositionDeg);
    if (repeated)
    {
        sample.onGround = 1;
    }
    if (ac.category == kRotorcraft)
    {
        return true;
    }
    const bool activeInAir = ac.simState == kSimStateActive && ac.groundMode == 0;
    if (repeated)
    {
        if (sample.airborne != 0 || activeInAir)
        {
            return false;
        }
        if (ac.takeOffMark != 0 && sample.groundSpeed > 0.0 && newest.groundSpeed >= 30.0)
        {
            return false;
        }
        sample.groundSpeed = 0.0;
        return true;
    }
    if (lf_samePosition(sample, newest, kNearPositionDeg))
    {
        if (sample.airborne != 0 || activeInAir)
        {
            return false;
        }
        if (ac.takeOffMark != 0 && sample.groundSpeed > 0.0 && newest.groundSpeed >= 50.0)
        {
            return false;
        }
        const std::int64_t play = sample.playMoment;
        sample = newest;
        sample.playMoment = play;
        sample.groundSpeed = 0.0;
        sample.onGround = 1;
        return true;
    }
    if (sample.groundSpeed != 0.0 || (ac.takeOffMark == 0 && sample.airborne == 0))
    {
        return true;
    }
    return newest.groundSpeed < 50.0;
}

// The roll of a departure begins, or a landing goes round.
static void lf_takeOffWatch(LiveAc& ac, const PositionSample& sample)
{
    if (ac.simState != kSimStateActive || ac.groundMode == 0 || ac.takeOffMark != 0 || ac.samples.empty())
    {
        return;
    }
    const PositionSample& newest = ac.samples.back();
    if (ac.touchdownMark == 0)
    {
        if ((sample.airborne != 0 || (sample.groundSpeed >= 43.0 && newest.groundSpeed >= 43.0)) &&
            ac.situation == kSituationTaxi)
        {
            lf_markTakeOff(ac);
        }
    }
    else if (newest.airborne != 0 && sample.airborne != 0)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationTaxi;
        ac.takeOffMark = 1;
        gf_setThrottle(ac, 3);
        gf_setSpoilers(ac, true);
        gf_setFlaps(ac, 1);
        ac.landingMark = 0;
        ac.touchdownMark = 0;
        ac.parkedDurationMark = 0;
        const std::array<std::uint32_t, 7> allOn{1, 1, 1, 1, 1, 1, 1};
        gf_setLights(ac.objectId, allOn);
        ac.slackEarly = 3000;
        ac.slackLate = 5000;
    }
}

void decodeExisting(LiveAc& ac, PositionSample sample)
{
    try
    {
        if (ac.samples.size() > kMostSamples)
        {
            removeAircraftFromSim(ac);
            return;
        }
        if (ac.extrapolated != 0 && !ac.samples.empty() &&
            gf_distanceNm(lf_at(ac.samples.front()), lf_at(sample)) * 1852.0 >
                static_cast<double>(HOLDING_THRESHOLD_METERS.current.load()))
        {
            ac.extrapolated = 0;
            ac.extrapolationStart = 0;
            removeAircraftFromSim(ac);
            return;
        }
        if (ac.situation == kSituationBirth)
        {
            if (!ac.samples.empty() && !lf_checkGroundSample(ac, sample))
            {
                return;
            }
        }
        else
        {
            if (!lf_acceptBySituation(ac, sample))
            {
                return;
            }
            if (sample.airborne == 0 && !ac.samples.empty() && ac.samples.back().onGround != 0)
            {
                if (sample.onGround != 0 && std::ranges::all_of(ac.samples, [](const PositionSample& s)
                                                                { return s.onGround != 0; }))
                {
                    ac.samples.resize(1);
                }
                else if (sample.onGround == 0 && ac.samples.size() >= 3)
                {
                    const std::size_t newest = ac.samples.size() - 1;
                    const std::size_t last = newest >= 8 ? newest - 8 : 0;
                    for (std::size_t i = newest - 1; i + 1 > last + 1 && i > 0; --i)
                    {
                        const PositionSample& s = ac.samples[i];
                        if (s.onGround == 0)
                        {
                            if (ac.samples[newest].playMoment - s.playMoment < 1500 ||
                                gf_distanceNm(lf_at(s), lf_at(sample)) <= 0.011879)
                            {
                                ac.samples.resize(i + 1);
                            }
                            break;
                        }
                    }
                }
            }
        }
        if (!ac.samples.empty() && sample.playMoment <= ac.samples.back().playMoment)
        {
            sample.playMoment = ac.samples.back().playMoment + 1;
        }
        if (ac.situation != kSituationBirth)
        {
            lf_takeOffWatch(ac, sample);
        }
        ac.samples.push_back(sample);
        if (ac.situation != kSituationBirth && ac.samples.size() == 2 && ac.samples[0].onGround != 0 &&
            ac.samples[1].onGround != 0)
        {
            ac.samples[0].playMoment = g_clock.load() + 1;
            ac.samples[0].groundSpeed = ac.samples[1].groundSpeed;
        }
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{} exception {}", "decodeExisting", e.what()));
        throw;
    }
}

void lf_pullOut(LiveAc& ac, PositionSample& sample)
{
    sample.onGround = 0;
    ac.pullOutMark = 1;
    if (ac.previousSituation != kSituationParked)
    {
        lf_endExtrapolation(ac);
    }
    if (ac.situation == kSituationParked && ac.parkedDurationMark != 0)
    {
        const std::int64_t stoodS =
            (gf_loopClock().now().time_since_epoch().count() - ac.parkedTime) / 1'000'000'000;
        if (stoodS < lf_towedBelowSeconds(ac.category))
        {
            ac.towedMark = 1;
        }
    }
    ac.parkedDurationMark = 0;
    // The front waits a week ahead while the aircraft is parked: it moves now.
    if (!ac.samples.empty())
    {
        ac.samples.front().playMoment = g_clock.load() + 1;
    }
    ac.slackEarly = 3000;
    ac.slackLate = ac.takeOffMark != 0 ? 5000 : 3000;
    lf_addRealStandOption(static_cast<std::int32_t>(ac.standId), ac, 2);
    // Only the aircraft that parked there holds the stand's flag.
    if (ac.situation == kSituationParked)
    {
        gf_setStandOccupied(ac.standId, false);
    }
    if (ac.situation != kSituationParked)
    {
        ac.previousSituation = ac.situation;
        ac.situation = kSituationParked;
    }
}

} // namespace ovr
