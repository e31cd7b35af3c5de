// Respawns and ghosts: what a changed record does to a flying aircraft, the
// ghost rules on the stands and in the spawn, the static aircraft a live one
// replaces or runs into, and the check of the parked live aircraft. Whole
// sessions where the simulator's side matters, single calls otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "liveries/livery_matching.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/park_airports.h"
#include "traffic/received_traffic.h"
#include "traffic/respawns.h"
#include "virtual_session.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

double knots(std::pair<double, double> a, std::pair<double, double> b, double seconds)
{
    return gf_distanceNm(LatLon{a.first, a.second}, LatLon{b.first, b.second}) / seconds * 3600.0;
}

class RespawnTest : public VirtualSession
{
  protected:
    void TearDown() override
    {
        GUID_CHANGES.current.store(true);
        INITIAL_LOAD_ONLY.current.store(false);
        g_parkAirport = Airport{};
        g_stands.clear();
        VirtualSession::TearDown();
    }

    // The objects the simulator had, noted once a pass.
    void noteObjects()
    {
        for (const sim::ObjectState& o : world().objects())
        {
            if (!o.user && std::none_of(seen.begin(), seen.end(), [&](const sim::ObjectState& s) { return s.id == o.id; }))
            {
                seen.push_back(o);
            }
        }
    }

    std::vector<sim::CallRecord> createsOf(const std::string& tail) const
    {
        std::vector<sim::CallRecord> out;
        for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
        {
            if (argText(r, "tail") == tail)
            {
                out.push_back(r);
            }
        }
        return out;
    }

    std::vector<DWORD> objectsOf(const std::string& tail) const
    {
        std::vector<DWORD> ids;
        for (const sim::ObjectState& o : seen)
        {
            if (o.atcId == tail)
            {
                ids.push_back(o.id);
            }
        }
        return ids;
    }

    std::int64_t removedAt(DWORD objectId) const
    {
        for (const sim::CallRecord& r : calls("SimConnect_AIRemoveObject"))
        {
            if (argNumber(r, "object_id") == objectId)
            {
                return r.atMs;
            }
        }
        return -1;
    }

    std::vector<sim::ObjectState> seen;
};

// One A320 over the North Sea; at 90 s the service reports it under another
// callsign and registration (the model database knows that registration as
// a Lufthansa A320).
std::vector<fakert::Track> renamedFlight()
{
    const std::pair<double, double> a{52.5, 2.7}, b{52.5, 2.95}, c{52.5, 3.4};
    fakert::Track before = straightTrack("406a12", "BAW12", "A320", "G-EUUA", a, b, 31000.0, knots(a, b, 150.0),
                                         -60.0, 150.0);
    fakert::Track after = straightTrack("406a12", "DLH4", "A320", "D-AIZA", b, c, 31000.0, knots(b, c, 270.0), 90.0,
                                        270.0);
    return {before, after};
}

struct RenameCase
{
    const char* label;
    bool guidChanges;
    std::vector<std::string> titles; // of the creates, in order
};

class RenameTest : public RespawnTest, public ::testing::WithParamInterface<RenameCase>
{
};

TEST_P(RenameTest, ACallsignChangeRespawnsWithTheNewLiveryOnlyWhenAsked)
{
    const RenameCase& c = GetParam();
    GUID_CHANGES.current.store(c.guidChanges);
    start(airborneUser(), trackScenario(renamedFlight()));
    runFor(200s, [&](std::int64_t) { noteObjects(); });

    std::vector<std::string> titles;
    for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
    {
        titles.push_back(argText(r, "title"));
    }
    EXPECT_EQ(titles, c.titles);
    const std::vector<DWORD> first = objectsOf("BAW12");
    ASSERT_EQ(first.size(), 1u);
    if (c.guidChanges)
    {
        ASSERT_EQ(createsOf("DLH4").size(), 1u);
        // The old object went before the new one was asked for.
        EXPECT_GE(removedAt(first[0]), 0);
        EXPECT_LT(removedAt(first[0]), createsOf("DLH4")[0].atMs);
        EXPECT_EQ(logWith(" respawns").size(), 1u);
        ASSERT_EQ(objectsOf("DLH4").size(), 1u);
        EXPECT_TRUE(world().object(objectsOf("DLH4")[0]).has_value());
    }
    else
    {
        // Renamed in place: same object, same livery, new name and key.
        EXPECT_TRUE(logWith(" respawns").empty());
        EXPECT_EQ(removedAt(first[0]), -1);
        ASSERT_EQ(g_liveAircraft.size(), 1u);
        EXPECT_EQ(g_liveAircraft[0].callsign, "DLH4");
        EXPECT_EQ(g_liveAircraft[0].registration, "D-AIZA");
        EXPECT_EQ(g_liveAircraft[0].liveryTitle, "Airbus A320 British Airways");
        EXPECT_EQ(g_liveAircraft[0].key.airline, gf_airlineId("DLH"));
        EXPECT_EQ(g_liveAircraft[0].situation, kSituationFlying);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenameTest,
    ::testing::Values(RenameCase{"respawned", true, {"Airbus A320 British Airways", "Airbus A320 Lufthansa D-AIZB"}},
                      RenameCase{"renamed_in_place", false, {"Airbus A320 British Airways"}}),
    [](const ::testing::TestParamInfo<RenameCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnTest, AGhostGoesWhenItsRealFlightAppearsAndNeverComesBack)
{
    const std::pair<double, double> a{52.45, 2.7}, b{52.45, 3.4};
    const std::pair<double, double> ra{52.55, 2.9}, rb{52.55, 3.4};
    fakert::Track ghost = straightTrack("3c6444", "DLH56_", "A320", "D-AIZA", a, b, 31000.0, knots(a, b, 300.0),
                                        -60.0, 300.0);
    fakert::Track real = straightTrack("3c6445", "DLH56", "A320", "D-AIZA", ra, rb, 33000.0, knots(ra, rb, 200.0),
                                       40.0, 200.0);
    start(airborneUser(), trackScenario({ghost, real}));
    runFor(200s, [&](std::int64_t) { noteObjects(); });

    ASSERT_EQ(createsOf("DLH56_").size(), 1u);
    ASSERT_EQ(createsOf("DLH56").size(), 1u);
    const std::vector<DWORD> ghosts = objectsOf("DLH56_");
    ASSERT_EQ(ghosts.size(), 1u);
    // It went when its real flight was spawned, a moment before that one's
    // creation reached the simulator.
    EXPECT_GE(removedAt(ghosts[0]), 0);
    EXPECT_LT(std::abs(removedAt(ghosts[0]) - createsOf("DLH56")[0].atMs), 2000);
    EXPECT_FALSE(world().object(ghosts[0]).has_value());
    EXPECT_EQ(logWith("          DLH56_   is a ghost and will be removed, continue with DLH56").size(), 1u);
    EXPECT_EQ(g_liveCallsigns, (std::vector<std::string>{"DLH56_"}));
    // Its records still come; they never make it an object again.
    EXPECT_TRUE(std::none_of(g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac)
                             { return ac.callsign == "DLH56_" && ac.simState != kSimStateBuffer; }));
}

// Single calls on aircraft made by hand in a running session without
// traffic.
class RespawnRuleTest : public RespawnTest
{
  protected:
    void SetUp() override
    {
        RespawnTest::SetUp();
        start(airborneUser(), trackScenario({}));
        g_removalQueue = {};
    }

    static LiveAc flying(std::uint32_t key, std::string callsign, std::string registration, const char* model,
                         const char* airline)
    {
        LiveAc ac;
        ac.aiKey = key;
        ac.callsign = std::move(callsign);
        ac.secondCallsign = ac.callsign;
        ac.registration = std::move(registration);
        ac.key.model = gf_modelId(model);
        ac.key.airline = gf_airlineId(airline);
        ac.simState = kSimStateActive;
        ac.situation = kSituationFlying;
        ac.objectId = key % 1000 + 100;
        ac.category = 2;
        ac.cur.latitude = 52.6;
        ac.cur.longitude = 3.1;
        ac.cur.altitude = 30000.0;
        ac.cur.heading = 1.0;
        PositionSample s;
        s.latitude = 52.6;
        s.longitude = 3.11;
        s.altitude = 30000.0;
        s.airborne = 1;
        s.playMoment = g_clock.load() + 500;
        ac.samples = {s, s};
        ac.samples[1].longitude += 0.01;
        ac.samples[1].playMoment += 500;
        return ac;
    }

    static TrafficRecord recordOf(const LiveAc& ac)
    {
        TrafficRecord r;
        static_cast<FlightBase&>(r) = static_cast<const FlightBase&>(ac);
        r.hexId = ac.aiKey;
        return r;
    }

    static void setRoute(FlightBase& flight, const char* origin, const char* destination)
    {
        flight.origin = *origin != 0 ? FixedCode<3>(origin) : FixedCode<3>();
        flight.destination = *destination != 0 ? FixedCode<3>(destination) : FixedCode<3>();
    }

    static std::string route(const FlightBase& flight)
    {
        return fmt::format("{}-{}", flight.origin.empty() ? "" : flight.origin.text(),
                           flight.destination.empty() ? "" : flight.destination.text());
    }
};

struct RouteCase
{
    const char* label;
    const char* origin; // the aircraft's route
    const char* destination;
    const char* newOrigin; // the record's
    const char* newDestination;
    bool parkedHereAtFra;
    bool guidChanges;
    bool taken;         // the record's sample is taken
    std::string after;  // the aircraft's route afterwards
};

class RouteChangeTest : public RespawnRuleTest, public ::testing::WithParamInterface<RouteCase>
{
};

TEST_P(RouteChangeTest, ARouteChangeRespawnsUnlessItIsTheReturnFlight)
{
    const RouteCase& c = GetParam();
    GUID_CHANGES.current.store(c.guidChanges);
    LiveAc ac = flying(0x484161, "KLM1234", "PH-BXA", "B738", "KLM");
    setRoute(ac, c.origin, c.destination);
    if (c.parkedHereAtFra)
    {
        g_parkAirport.icao = IcaoCode("EDDF");
        g_parkAirport.code3 = IataCode("FRA");
        ac.situation = kSituationParked;
        ac.groundMode = 1;
    }
    TrafficRecord r = recordOf(ac);
    setRoute(r, c.newOrigin, c.newDestination);
    const std::uint32_t objectId = ac.objectId;

    EXPECT_EQ(gf_checkRespawn(ac, r), c.taken);
    EXPECT_EQ(route(ac), c.after);
    const bool respawned = !c.taken;
    EXPECT_EQ(ac.simState, respawned ? kSimStateLiveryRespawn : kSimStateActive);
    EXPECT_EQ(g_removalQueue, respawned ? std::deque<std::uint32_t>{objectId} : std::deque<std::uint32_t>{});
    EXPECT_EQ(logWith(" respawns").size(), respawned ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RouteChangeTest,
    ::testing::Values(RouteCase{"same_route", "AMS", "LHR", "AMS", "LHR", false, true, true, "AMS-LHR"},
                      RouteCase{"record_without_route", "AMS", "LHR", "", "", false, true, true, "AMS-LHR"},
                      RouteCase{"adds_the_missing_destination", "AMS", "", "AMS", "LHR", false, true, false, "AMS-LHR"},
                      RouteCase{"adds_it_without_respawns", "AMS", "", "AMS", "LHR", false, false, true, "AMS-LHR"},
                      RouteCase{"another_route", "AMS", "LHR", "CDG", "FRA", false, true, false, "CDG-FRA"},
                      RouteCase{"one_end_differs", "AMS", "LHR", "AMS", "FRA", false, true, true, "AMS-LHR"},
                      RouteCase{"return_flight_of_an_aircraft_parked_here", "AMS", "FRA", "FRA", "AMS", true, true,
                                true, "AMS-FRA"},
                      RouteCase{"another_route_while_parked_here", "AMS", "FRA", "FRA", "LHR", true, true, false,
                                "FRA-LHR"}),
    [](const ::testing::TestParamInfo<RouteCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnRuleTest, ARespawnStartsFromWhereTheAircraftIsAndWaitsForTheRemoval)
{
    LiveAc ac = flying(0x484162, "KLM77", "PH-BXA", "B738", "KLM");
    setRoute(ac, "AMS", "");
    ac.cur.bank = 0.1;
    g_followedObjectId.store(ac.objectId);
    TrafficRecord r = recordOf(ac);
    setRoute(r, "AMS", "LHR");
    const std::size_t before = ac.samples.size();

    ASSERT_FALSE(gf_checkRespawn(ac, r));
    ASSERT_EQ(ac.samples.size(), before + 1);
    const PositionSample& front = ac.samples.front();
    EXPECT_DOUBLE_EQ(front.latitude, 52.6);
    EXPECT_DOUBLE_EQ(front.longitude, 3.1);
    EXPECT_DOUBLE_EQ(front.altitude, 30000.0);
    EXPECT_DOUBLE_EQ(front.roll, 0.1);
    EXPECT_EQ(front.onGround, 0); // the front sample was elsewhere: it flies on
    EXPECT_EQ(front.playMoment, g_clock.load() + 1);
    EXPECT_EQ(ac.respawnMark, 1);
    EXPECT_DOUBLE_EQ(ac.respawnHeading, 1.0);
    EXPECT_EQ(g_followedObjectId.load(), 0u);
    // A route change keeps the livery; records are not taken meanwhile.
    EXPECT_EQ(ac.situation, kSituationFlying);
    g_liveAircraft = {ac};
    TrafficRecord later = r;
    later.dataTime = 10.0;
    gf_takeReceivedAc(later);
    EXPECT_EQ(g_liveAircraft[0].samples.size(), before + 1);
}

TEST_F(RespawnRuleTest, AParkedAircraftRespawnsStandingOnItsStand)
{
    LiveAc ac = flying(0x484163, "KLM78", "PH-BXA", "B738", "KLM");
    ac.situation = kSituationParked;
    ac.groundMode = 1;
    ac.cur.heading = kPi / 2.0;
    setRoute(ac, "AMS", "");
    TrafficRecord r = recordOf(ac);
    setRoute(r, "AMS", "LHR");

    ASSERT_FALSE(gf_checkRespawn(ac, r));
    ASSERT_EQ(ac.samples.size(), 2u);
    for (const PositionSample& s : ac.samples)
    {
        EXPECT_EQ(s.onGround, 1);
        EXPECT_DOUBLE_EQ(s.groundSpeed, 0.0);
        EXPECT_NEAR(s.track, 90.0, 1e-9);
    }
    EXPECT_EQ(ac.samples.front().playMoment, g_clock.load() + 1);
    EXPECT_EQ(ac.situation, kSituationParked);
}

struct IdentityCase
{
    const char* label;
    bool guidChanges;
    bool taken;
    std::uint32_t situation;
    const char* title;
};

class IdentityChangeTest : public RespawnRuleTest, public ::testing::WithParamInterface<IdentityCase>
{
};

// The model database knows D-AIZA as a Lufthansa A320; the aircraft flew as
// a Lufthansa A319 with a registration nobody knows.
TEST_P(IdentityChangeTest, ANewRegistrationOfTheSameAirlineTakesItsKey)
{
    const IdentityCase& c = GetParam();
    GUID_CHANGES.current.store(c.guidChanges);
    LiveAc ac = flying(0x3c6401, "DLH4", "D-AIXX", "A319", "DLH");
    ac.liveryTitle = "Airbus A319 Lufthansa";
    gf_rememberLivery(ac.aiKey, ac.liveryTitle);
    TrafficRecord r = recordOf(ac);
    r.registration = "D-AIZA";

    EXPECT_EQ(gf_checkRespawn(ac, r), c.taken);
    EXPECT_EQ(ac.registration, "D-AIZA");
    EXPECT_EQ(ac.key.model, gf_modelId("A320"));
    EXPECT_EQ(ac.situation, c.situation);
    EXPECT_EQ(ac.liveryTitle, c.title);
    EXPECT_EQ(gf_isFailedLivery(ac.aiKey).has_value(), c.guidChanges ? false : true);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdentityChangeTest,
    ::testing::Values(IdentityCase{"respawns_with_a_new_livery", true, false, kSituationBirth, ""},
                      IdentityCase{"keeps_situation_and_title", false, true, kSituationFlying,
                                   "Airbus A319 Lufthansa"}),
    [](const ::testing::TestParamInfo<IdentityCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnRuleTest, ARegistrationOfAnotherAirlineIsTakenWithoutNewIdentity)
{
    LiveAc ac = flying(0x3c6402, "BAW12", "G-EUUA", "A320", "BAW");
    TrafficRecord r = recordOf(ac);
    r.registration = "D-AIZA"; // Lufthansa's, but the callsign is still British Airways'
    EXPECT_TRUE(gf_checkRespawn(ac, r));
    EXPECT_EQ(ac.registration, "D-AIZA");
    EXPECT_EQ(ac.key.airline, gf_airlineId("BAW"));
}

TEST_F(RespawnRuleTest, GhostCallsignsInRecords)
{
    // Another aircraft flies as the real DLH56: this one may not become its
    // ghost.
    LiveAc real = flying(0x3c6501, "DLH56", "D-AIZA", "A320", "DLH");
    LiveAc other = flying(0x3c6502, "DLH57", "D-AIZC", "A320", "DLH");
    g_liveAircraft = {real, other};
    TrafficRecord r = recordOf(g_liveAircraft[1]);
    r.callsign = "DLH56_";
    EXPECT_FALSE(gf_checkRespawn(g_liveAircraft[1], r));
    EXPECT_EQ(g_liveAircraft[1].callsign, "DLH57");
    EXPECT_EQ(g_liveAircraft[1].simState, kSimStateActive);

    // The real flight itself reported as its ghost is renamed, not refused.
    r = recordOf(g_liveAircraft[0]);
    r.callsign = "DLH56_";
    EXPECT_FALSE(gf_checkRespawn(g_liveAircraft[0], r));
    EXPECT_EQ(g_liveAircraft[0].callsign, "DLH56_");
    EXPECT_EQ(g_liveAircraft[0].simState, kSimStateLiveryRespawn);
}

TEST_F(RespawnRuleTest, AGhostThatBecomesItsRealFlightIsNotRemovedAsItsOwnGhost)
{
    g_liveAircraft = {flying(0x3c6503, "DLH58_", "D-AIZA", "A320", "DLH")};
    g_liveAircraft[0].text = "old text";
    TrafficRecord r = recordOf(g_liveAircraft[0]);
    r.callsign = "DLH58";
    EXPECT_FALSE(gf_checkRespawn(g_liveAircraft[0], r));
    EXPECT_EQ(g_liveAircraft[0].callsign, "DLH58");
    EXPECT_EQ(g_liveAircraft[0].secondCallsign, "DLH58");
    EXPECT_TRUE(g_liveAircraft[0].text.empty());
    EXPECT_EQ(g_liveAircraft[0].simState, kSimStateLiveryRespawn);
    EXPECT_TRUE(g_liveCallsigns.empty());
}

TEST_F(RespawnRuleTest, ARecordDuringTakeOffOrWhileBufferedIsTakenAsItComes)
{
    LiveAc ac = flying(0x3c6504, "DLH59", "D-AIZA", "A320", "DLH");
    ac.takeOffMark = 1;
    TrafficRecord r = recordOf(ac);
    r.callsign = "DLH60";
    EXPECT_TRUE(gf_checkRespawn(ac, r));
    EXPECT_EQ(ac.callsign, "DLH59");
    // Nor while it pushes back or runs on made-up samples.
    ac.takeOffMark = 0;
    ac.situation = kSituationPushingBack;
    EXPECT_TRUE(gf_checkRespawn(ac, r));
    ac.situation = kSituationTaxi;
    ac.extrapolationCount = 3;
    EXPECT_TRUE(gf_checkRespawn(ac, r));
    EXPECT_EQ(ac.callsign, "DLH59");
    EXPECT_EQ(ac.simState, kSimStateActive);

    ac.simState = kSimStateBuffer;
    setRoute(ac, "FRA", "");
    setRoute(r, "", "AMS");
    r.registration = "D-AIZB";
    EXPECT_TRUE(gf_checkRespawn(ac, r));
    EXPECT_EQ(ac.callsign, "DLH60");
    EXPECT_EQ(ac.registration, "D-AIZB");
    EXPECT_EQ(route(ac), "FRA-AMS");
}

// Stand 1 holds a live aircraft; another one wants it.
struct WantedCase
{
    const char* label;
    const char* occupant;
    std::uint8_t reportedAtStand;
    std::uint32_t occupantState;
    const char* wanting;
    bool wanted;
    bool occupantRemoved;
    bool ghostListed;
};

class StandWantedTest : public RespawnRuleTest, public ::testing::WithParamInterface<WantedCase>
{
};

TEST_P(StandWantedTest, TheOccupantGivesWayOrKeepsTheStand)
{
    const WantedCase& c = GetParam();
    g_stands.push_back(Stand{.options = {},
                             .name = "A12",
                             .adjacent = {},
                             .latitude = 52.6,
                             .longitude = 3.1,
                             .numericId = 1,
                             .occupied = 1});
    LiveAc occupant = flying(0x3c6601, c.occupant, "D-AIZA", "A320", "DLH");
    occupant.situation = kSituationParked;
    occupant.standId = 1;
    occupant.simState = c.occupantState;
    occupant.reportedAtStand = c.reportedAtStand;
    g_liveAircraft = {occupant};

    EXPECT_EQ(lf_standWanted(1, c.wanting), c.wanted);
    EXPECT_EQ(g_liveAircraft[0].simState == kSimStateRemoving, c.occupantRemoved);
    EXPECT_EQ(g_stands[0].occupied, c.occupantRemoved ? 0 : 1);
    EXPECT_EQ(!g_liveCallsigns.empty(), c.ghostListed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandWantedTest,
    ::testing::Values(WantedCase{"same_callsign", "DLH4", 0, kSimStateActive, "DLH4", true, true, false},
                      WantedCase{"its_ghost_leaves_for_the_real_flight", "DLH4_", 0, kSimStateActive, "DLH4", true,
                                 true, true},
                      WantedCase{"any_ghost_leaves", "DLH4_", 0, kSimStateActive, "KLM1", true, true, false},
                      WantedCase{"a_ghost_never_replaces_its_real_flight", "DLH4", 0, kSimStateActive, "DLH4_",
                                 false, false, false},
                      WantedCase{"a_ghost_never_replaces_a_real_flight", "KLM1", 0, kSimStateActive, "DLH4_", false,
                                 false, false},
                      WantedCase{"reported_at_the_stand_stays", "KLM1", 1, kSimStateActive, "DLH4", false, false,
                                 false},
                      WantedCase{"another_flight_leaves", "KLM1", 0, kSimStateActive, "DLH4", true, true, false},
                      WantedCase{"not_yet_created_is_no_occupant", "KLM1", 0, kSimStateAdding, "DLH4", true, false,
                                 false}),
    [](const ::testing::TestParamInfo<WantedCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnRuleTest, TheOccupantsLinesNameStandAndAircraft)
{
    g_stands.push_back(Stand{
        .options = {}, .name = "A12", .adjacent = {}, .latitude = 52.6, .longitude = 3.1, .numericId = 1});
    LiveAc occupant = flying(0x3c6602, "DLH4_", "D-AIZA", "A320", "DLH");
    occupant.situation = kSituationParked;
    occupant.standId = 1;
    g_liveAircraft = {occupant};
    lf_standWanted(1, "DLH4");
    EXPECT_EQ(logWith("A12     : DLH4_    ghost, replace by DLH4").size(), 1u);
    lf_ghostReplaced("DLH5"); // nobody flies as DLH5_
    EXPECT_TRUE(g_liveCallsigns == std::vector<std::string>{"DLH4_"});
    // A parked ghost is named with its stand.
    LiveAc parkedGhost = flying(0x3c6603, "DLH6_", "D-AIZB", "A320", "DLH");
    parkedGhost.situation = kSituationParked;
    parkedGhost.standId = 1;
    g_liveAircraft.push_back(parkedGhost);
    lf_ghostReplaced("DLH6");
    EXPECT_EQ(logWith("A12     : DLH6_    is a ghost and will be removed, continue with DLH6").size(), 1u);
    EXPECT_EQ(g_liveAircraft.back().simState, kSimStateRemoving);
}

StaticAc staticAt(std::uint32_t key, std::string callsign, std::string registration, double latitude,
                  double longitude)
{
    StaticAc s;
    s.aiKey = key;
    s.callsign = std::move(callsign);
    s.registration = std::move(registration);
    s.simState = kSimStateActive;
    s.objectId = 900 + key;
    s.latitude = latitude;
    s.longitude = longitude;
    s.radius = 0.0097; // 18 m
    s.origin = 1;
    return s;
}

struct StaticsForCase
{
    const char* label;
    std::string liveCallsign;
    std::string liveRegistration;
    std::string liveText;
    bool sameTransponder; // the live aircraft is the one the first static was placed for
    int removed; // index of the static that goes, -1 none
};

class StaticsForTest : public RespawnRuleTest, public ::testing::WithParamInterface<StaticsForCase>
{
};

TEST_P(StaticsForTest, TheFirstStaticThatIsTheLiveAircraftGoes)
{
    const StaticsForCase& c = GetParam();
    StaticAc fromReport = staticAt(1, "X1*", "D-AIAA", 50.0, 8.5);
    fromReport.origin = 0;
    fromReport.identity = 0x3c6701;
    StaticAc byRegistration = staticAt(2, "X2*", "D-AIBB", 50.0, 8.5);
    StaticAc byCallsign = staticAt(3, "DLH9*", "", 50.0, 8.5);
    byCallsign.secondCallsign = "DLH9";
    StaticAc byText = staticAt(4, "X4*", "", 50.0, 8.5);
    byText.text = "CFG7";
    StaticAc notActive = staticAt(5, "X5*", "D-AIEE", 50.0, 8.5);
    notActive.simState = kSimStateAdding;
    g_staticAircraft = {fromReport, byRegistration, byCallsign, byText, notActive};

    LiveAc live = flying(c.sameTransponder ? 0x3c6701 : 0x3c6799, c.liveCallsign, c.liveRegistration, "A320", "DLH");
    live.text = c.liveText;
    lf_removeStaticsFor(live);
    for (std::size_t i = 0; i < g_staticAircraft.size(); ++i)
    {
        SCOPED_TRACE(i);
        const bool gone = g_staticAircraft[i].simState == kSimStateRemoving;
        EXPECT_EQ(gone, static_cast<int>(i) == c.removed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StaticsForTest,
    ::testing::Values(StaticsForCase{"transponder_id", "DLH1", "", "", true, 0},
                      StaticsForCase{"registration", "DLH1", "D-AIBB", "", false, 1},
                      StaticsForCase{"second_callsign", "DLH9", "", "", false, 2},
                      StaticsForCase{"ghost_without_its_mark", "DLH9_", "", "", false, 2},
                      StaticsForCase{"live_text_is_the_statics_text", "DLH1", "", "CFG7", false, 3},
                      StaticsForCase{"not_active_is_kept", "DLH1", "D-AIEE", "", false, -1},
                      StaticsForCase{"empty_names_match_nothing", "DLH1", "", "", false, -1},
                      StaticsForCase{"no_callsign_no_removal", "", "D-AIBB", "", true, -1}),
    [](const ::testing::TestParamInfo<StaticsForCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnRuleTest, EveryCallRemovesOneStaticThatALiveAircraftOnTheGroundReplaces)
{
    g_staticAircraft = {staticAt(1, "KLM11*", "PH-AAA", 50.0, 8.5), staticAt(2, "X2*", "PH-BXA", 50.0, 8.5),
                        staticAt(3, "X3*", "PH-CCC", 50.0, 8.5)};
    LiveAc onGround = flying(0x484170, "KLM11", "PH-BXA", "B738", "KLM");
    onGround.groundMode = 1;
    LiveAc inAir = flying(0x484171, "X3", "PH-CCC", "B738", "KLM");
    g_liveAircraft = {onGround, inAir};

    lf_removeStaticsReplacedByLive();
    EXPECT_EQ(g_staticAircraft[0].simState, kSimStateRemoving); // "KLM11" + "*" comes first
    EXPECT_EQ(g_staticAircraft[1].simState, kSimStateActive);
    lf_removeStaticsReplacedByLive();
    EXPECT_EQ(g_staticAircraft[1].simState, kSimStateRemoving);
    lf_removeStaticsReplacedByLive();
    EXPECT_EQ(g_staticAircraft[2].simState, kSimStateActive); // its live twin is airborne
}

TEST_F(RespawnRuleTest, ATaxiingAircraftRemovesTheStaticItWouldTouchOncePerMove)
{
    // 0.0005 degrees of latitude are 0.03 NM; the summed half spans with
    // the margin are (0.0097 + 0.0097) x 1.1 = 0.0213 NM.
    const double near = 0.0003; // 0.018 NM
    g_staticAircraft = {staticAt(1, "KLM20*", "", 50.0 + 0.0005, 8.5),
                        staticAt(2, "KLM21*", "", 50.0 + near, 8.5),
                        staticAt(3, "KLM22*", "", 50.0 - near, 8.5)};
    LiveAc taxi = flying(0x484172, "KLM22*", "", "B738", "KLM"); // its own callsign is spared
    taxi.groundMode = 1;
    taxi.situation = kSituationTaxi;
    taxi.radius = 0.0097;
    taxi.cur.latitude = 50.0;
    taxi.cur.longitude = 8.5;
    g_liveAircraft = {taxi};

    gf_clearStaticsOnTaxiPaths();
    EXPECT_EQ(g_staticAircraft[0].simState, kSimStateActive);
    EXPECT_EQ(g_staticAircraft[1].simState, kSimStateRemoving);
    EXPECT_EQ(g_staticAircraft[2].simState, kSimStateActive);
    // Standing still, it looks no further; a static in reach stays until it moves.
    g_staticAircraft[0].latitude = 50.0 + near;
    gf_clearStaticsOnTaxiPaths();
    EXPECT_EQ(g_staticAircraft[0].simState, kSimStateActive);
    g_liveAircraft[0].cur.longitude += 1e-6;
    gf_clearStaticsOnTaxiPaths();
    EXPECT_EQ(g_staticAircraft[0].simState, kSimStateRemoving);
    // Right after touchdown nothing is cleared.
    g_staticAircraft.push_back(staticAt(4, "KLM23*", "", 50.0, 8.5));
    g_liveAircraft[0].touchdownMark = 1;
    g_liveAircraft[0].cur.longitude += 1e-6;
    gf_clearStaticsOnTaxiPaths();
    EXPECT_EQ(g_staticAircraft[3].simState, kSimStateActive);
}

struct ParkedCase
{
    const char* label;
    std::uint32_t category;
    bool initialLoadOnly;
    std::uint8_t reportedAtStand;
    bool removed;
    std::uint32_t minutes; // when kept
};

class ParkedLiveTest : public RespawnRuleTest, public ::testing::WithParamInterface<ParkedCase>
{
};

TEST_P(ParkedLiveTest, AnAircraftParked95MinutesGoesUnlessHeavyOrInitialLoadOnly)
{
    const ParkedCase& c = GetParam();
    INITIAL_LOAD_ONLY.current.store(c.initialLoadOnly);
    LiveAc ac = flying(0x484180, "KLM30", "", "B738", "KLM");
    ac.situation = kSituationParked;
    ac.standId = 4;
    ac.category = c.category;
    ac.reportedAtStand = c.reportedAtStand;
    ac.parkedTime = gf_loopClock().now().time_since_epoch().count();
    g_liveAircraft = {ac};
    clock.advance(95min + 30s);
    g_parkedLive.clear();

    gf_checkParkedLiveAc();
    EXPECT_EQ(g_liveAircraft[0].simState == kSimStateRemoving, c.removed);
    if (c.removed)
    {
        EXPECT_TRUE(g_parkedLive.empty());
        return;
    }
    ASSERT_EQ(g_parkedLive.size(), 1u);
    EXPECT_EQ(g_parkedLive[0].callsign, "KLM30");
    EXPECT_EQ(g_parkedLive[0].standId, 4u);
    EXPECT_EQ(g_parkedLive[0].minutesParked, c.minutes);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParkedLiveTest,
                         ::testing::Values(ParkedCase{"airliner_goes", 2, false, 0, true, 0},
                                           ParkedCase{"heavy_stays", 3, false, 0, false, 95},
                                           ParkedCase{"initial_load_only_keeps_it", 2, true, 0, false, 95},
                                           ParkedCase{"reported_at_stand_counts_zero", 2, false, 1, false, 0}),
                         [](const ::testing::TestParamInfo<ParkedCase>& i) { return std::string(i.param.label); });

TEST_F(RespawnRuleTest, TheParkedListIsShortestParkedFirstAndSkipsOthers)
{
    const std::int64_t now = gf_loopClock().now().time_since_epoch().count();
    const auto parkedFor = [&](std::uint32_t key, std::string callsign, std::chrono::minutes m)
    {
        LiveAc ac = flying(key, std::move(callsign), "", "B738", "KLM");
        ac.situation = kSituationParked;
        ac.parkedTime = now - std::chrono::nanoseconds(m).count();
        return ac;
    };
    LiveAc taxiing = parkedFor(0x484184, "KLM34", 10min);
    taxiing.situation = kSituationTaxi;
    LiveAc buffered = parkedFor(0x484185, "KLM35", 10min);
    buffered.simState = kSimStateBuffer;
    g_liveAircraft = {parkedFor(0x484181, "KLM31", 60min), parkedFor(0x484182, "KLM32", 5min), taxiing, buffered,
                      parkedFor(0x484183, "KLM33", 30min)};
    g_parkedLive.clear();
    gf_checkParkedLiveAc();
    std::vector<std::string> order;
    for (const ParkedLive& p : g_parkedLive)
    {
        order.push_back(fmt::format("{}:{}", p.callsign, p.minutesParked));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"KLM32:5", "KLM33:30", "KLM31:60"}));
}

} // namespace
} // namespace ovr::test
