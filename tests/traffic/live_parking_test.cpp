// Parking of live aircraft on the stand list of a small made-up apron: the
// stand search of a taxiing aircraft, what it clears on its way in, who
// keeps a stand when two want it, and the park limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "../app/app_fixture.h"
#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/stand_marks.h"
#include "airports/weekday_hour.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "core/user_on_ground.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_life.h"
#include "traffic/live_parking.h"
#include "traffic/making_way.h"
#include "traffic/motion_model.h"
#include "traffic/respawns.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

// A row of stands 60 m apart along a parallel, noses north; each is the
// neighbour of the next.
constexpr double kApronLat = 50.0;
constexpr double kApronLon = 8.0;
const double kStandSpacingDeg = 60.0 / (111132.95 * std::cos(kApronLat * kDegToRad));

LatLon standAt(int i)
{
    return LatLon{kApronLat, kApronLon + kStandSpacingDeg * i};
}

Stand apronStand(int i, std::vector<std::int32_t> adjacent = {})
{
    const LatLon at = standAt(i);
    Stand s = gf_makeStand("A" + std::to_string(i + 1), {}, at.lat, at.lon, 0.0, 40.0, 0, false, false, false);
    s.numericId = i + 1;
    s.adjacent = std::move(adjacent);
    return s;
}

PositionSample groundSample(LatLon at, double gsKt, std::int64_t play)
{
    PositionSample s;
    s.latitude = at.lat;
    s.longitude = at.lon;
    s.groundSpeed = gsKt;
    s.playMoment = play;
    return s;
}

// An active airliner (category 2, 36 m span) taxiing at `at`.
LiveAc taxiing(std::uint32_t key, std::string callsign, LatLon at)
{
    LiveAc ac;
    ac.aiKey = key;
    ac.objectId = key - 10000;
    ac.callsign = std::move(callsign);
    ac.category = 2;
    ac.radius = 18.0 * kNmPerMetre;
    ac.standSpeed = 4.0;
    ac.simState = kSimStateActive;
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.cur.latitude = at.lat;
    ac.cur.longitude = at.lon;
    ac.samples = {groundSample(at, 0.0, g_clock.load())};
    ac.samples.front().onGround = 1;
    return ac;
}

LiveAc parkedOn(std::uint32_t key, std::string callsign, const Stand& stand)
{
    LiveAc ac = taxiing(key, std::move(callsign), LatLon{stand.latitude, stand.longitude});
    ac.situation = kSituationParked;
    ac.previousSituation = kSituationParking;
    ac.standId = static_cast<std::uint32_t>(stand.numericId);
    ac.latitude = stand.latitude;
    ac.longitude = stand.longitude;
    return ac;
}

StaticAc staticOn(std::uint32_t key, std::string callsign, const Stand& stand, std::uint32_t state)
{
    StaticAc st;
    st.aiKey = key;
    st.objectId = key + 500;
    st.callsign = std::move(callsign);
    st.registration = "D-" + st.callsign;
    st.radius = 18.0 * kNmPerMetre;
    st.standId = static_cast<std::uint32_t>(stand.numericId);
    st.latitude = stand.latitude;
    st.longitude = stand.longitude;
    st.simState = state;
    return st;
}

class LiveParkingTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        gf_clearTrafficState();
        g_clock.store(100000);
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        g_liveAircraft.reserve(16);
        g_userOnGround.store(0);
        g_userPos = UserAcState{};
        {
            const std::lock_guard lock(g_parkAirportsMutex);
            g_parkAirport = Airport{IcaoCode("EDDF"), IataCode("FRA"), kApronLat, kApronLon, 364.0f, 0};
            g_parkAirport.stands = 4;
            g_reservedStand.clear();
        }
        setStands({apronStand(0, {2}), apronStand(1, {1, 3}), apronStand(2, {2, 4}), apronStand(3, {3})});
    }

    void TearDown() override
    {
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        gf_clearStands();
        {
            const std::lock_guard lock(g_parkAirportsMutex);
            g_parkAirport = Airport{};
            g_reservedStand.clear();
        }
        g_userOnGround.store(0);
        g_userPos = UserAcState{};
        {
            const std::lock_guard lock(g_simConnectMutex);
            g_clientEvents.clear();
        }
        gf_clearTrafficState();
        AppTest::TearDown();
    }

    static void setStands(std::vector<Stand> stands)
    {
        g_stands.edit([&](std::vector<Stand>& v) { v = std::move(stands); });
    }

    static LiveAc& add(LiveAc ac)
    {
        g_liveAircraft.push_back(std::move(ac));
        return g_liveAircraft.back();
    }
};

TEST_F(LiveParkingTest, AStoppedAircraftIsSentToTheStandWhereItStops)
{
    LiveAc& ac = add(taxiing(20001, "DLH1", standAt(1)));
    try2Park(ac, false);
    EXPECT_EQ(ac.situation, kSituationParking);
    EXPECT_EQ(ac.previousSituation, kSituationTaxi);
    EXPECT_EQ(ac.standId, 2u);
    EXPECT_DOUBLE_EQ(ac.latitude, standAt(1).lat);
    EXPECT_DOUBLE_EQ(ac.longitude, standAt(1).lon);
    // The path in: where it is, the stand, and standing still on it.
    ASSERT_EQ(ac.samples.size(), 3u);
    EXPECT_DOUBLE_EQ(ac.samples.back().longitude, standAt(1).lon);
    EXPECT_EQ(ac.samples.back().onGround, 1);
}

TEST_F(LiveParkingTest, TheSameSpotIsNotSearchedTwice)
{
    const LatLon between{kApronLat, kApronLon + kStandSpacingDeg * 0.5}; // 30 m from two stands
    LiveAc& ac = add(taxiing(20001, "DLH1", between));
    try2Park(ac, false);
    EXPECT_EQ(ac.situation, kSituationTaxi);
    EXPECT_DOUBLE_EQ(ac.lastParkLongitude, between.lon);

    // A stand appears under it, but the aircraft has not moved by 1e-8
    // degrees: no new search.
    setStands({apronStand(0), Stand(apronStand(1)), apronStand(2)});
    g_stands.edit([&](std::vector<Stand>& v) { v[1].longitude = between.lon; });
    ac.samples.back().longitude = between.lon + 0.5e-8;
    try2Park(ac, false);
    EXPECT_EQ(ac.situation, kSituationTaxi);

    ac.samples.back().longitude = between.lon + 2e-8;
    try2Park(ac, false);
    EXPECT_EQ(ac.situation, kSituationParking);
    EXPECT_EQ(ac.standId, 2u);
}

TEST_F(LiveParkingTest, OnMadeUpSamplesTheStandMayLieFartherOff)
{
    const LatLon off{kApronLat + 40.0 / 111132.95, standAt(2).lon}; // 40 m behind stand A3
    LiveAc& ac = add(taxiing(20001, "DLH1", off));
    try2Park(ac, false);
    EXPECT_EQ(ac.situation, kSituationTaxi);
    ac.lastParkLatitude = 0.0;
    try2Park(ac, true);
    EXPECT_EQ(ac.situation, kSituationParking);
    EXPECT_EQ(ac.standId, 3u);
}

struct KeptCase
{
    const char* name;
    const char* reserved; // the user's reserved stand
    bool userOnStand;     // the user aircraft stands on A2
};

class StandsTheUserKeepsTest : public LiveParkingTest, public ::testing::WithParamInterface<KeptCase>
{
};

TEST_P(StandsTheUserKeepsTest, AreNeverGivenEvenWhenNearest)
{
    const KeptCase& c = GetParam();
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_reservedStand = c.reserved;
    }
    if (c.userOnStand)
    {
        g_userOnGround.store(1);
        g_userOnGroundValid.store(1);
        g_userPos.latitude = standAt(1).lat;
        g_userPos.longitude = standAt(1).lon;
    }
    LiveAc& ac = add(taxiing(20001, "DLH1", standAt(1)));
    try2Park(ac, true);
    EXPECT_NE(ac.standId, 2u);
    // The neighbours lie 60 m off, beyond even the wide search.
    EXPECT_EQ(ac.situation, kSituationTaxi);
}

INSTANTIATE_TEST_SUITE_P(Kept, StandsTheUserKeepsTest,
                         ::testing::Values(KeptCase{"reserved", "A2", false}, KeptCase{"under_the_user", "", true},
                                           KeptCase{"both", "A2", true}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct AdjacentCase
{
    const char* name;
    double spanX;        // metres, of the aircraft on the neighbour
    std::uint32_t state; // its simulator state
    std::uint32_t situation;
    bool inTheWay;
};

class AdjacentClearanceTest : public LiveParkingTest, public ::testing::WithParamInterface<AdjacentCase>
{
};

// The stands lie 60 m apart; the one parking spans 36 m: a neighbour of
// 73.1 m or more reaches it ((18 + 36.55) x 1.1 = 60.005).
TEST_P(AdjacentClearanceTest, ANeighbourWithinTheClearanceGoesWhenAnotherParks)
{
    const AdjacentCase& c = GetParam();
    LiveAc x = parkedOn(20002, "BAW2", g_stands[2]);
    x.radius = c.spanX / 2.0 * kNmPerMetre;
    x.simState = c.state;
    x.situation = c.situation;
    add(std::move(x));
    LiveAc& y = add(taxiing(20001, "DLH1", standAt(1)));

    EXPECT_EQ(gf_adjacentStandClear(3, y, g_stands[1]), !c.inTheWay);
    EXPECT_EQ(g_liveAircraft[0].simState, c.state) << "the test removes nothing";

    try2Park(y, false);
    EXPECT_EQ(y.standId, 2u);
    EXPECT_EQ(g_liveAircraft[0].simState == kSimStateRemoving, c.inTheWay);
    EXPECT_EQ(logHas("A3      : BAW2     removed by parking DLH1 at adjacent and possibly colliding stand A2"),
              c.inTheWay);
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, AdjacentClearanceTest,
    ::testing::Values(AdjacentCase{"reaches", 73.2, kSimStateActive, kSituationParked, true},
                      AdjacentCase{"falls_short", 72.9, kSimStateActive, kSituationParked, false},
                      AdjacentCase{"pushing_back", 80.0, kSimStateActive, kSituationPushingBack, true},
                      AdjacentCase{"taxiing_away", 80.0, kSimStateActive, kSituationTaxi, false},
                      AdjacentCase{"still_being_created", 80.0, kSimStateAdding, kSituationParked, false}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(LiveParkingTest, TheClearanceTestPassesOverItsOwnCallsignAndUnknownStands)
{
    LiveAc x = parkedOn(20002, "DLH1", g_stands[2]);
    x.radius = 0.1;
    add(std::move(x));
    LiveAc& y = add(taxiing(20001, "DLH1", standAt(1)));
    EXPECT_TRUE(gf_adjacentStandClear(3, y, g_stands[1]));
    g_liveAircraft[0].callsign = "BAW2";
    EXPECT_FALSE(gf_adjacentStandClear(3, y, g_stands[1]));
    // A stand at 0,0, an id of none or one not in the list: nothing known there.
    g_stands.edit([](std::vector<Stand>& v) { v[2].latitude = v[2].longitude = 0.0; });
    EXPECT_TRUE(gf_adjacentStandClear(3, y, g_stands[1]));
    EXPECT_TRUE(gf_adjacentStandClear(0, y, g_stands[1]));
    EXPECT_TRUE(gf_adjacentStandClear(99, y, g_stands[1]));
}

TEST_F(LiveParkingTest, AParkedOccupantGoesAndStaticsMakeWay)
{
    add(parkedOn(20002, "BAW2", g_stands[1]));
    g_staticAircraft.push_back(staticOn(7, "AFR7*", g_stands[1], kSimStateActive));
    StaticAc wide = staticOn(8, "KLM8*", g_stands[2], kSimStateActive);
    wide.radius = 0.03; // reaches across to A2
    g_staticAircraft.push_back(wide);
    g_staticAircraft.push_back(staticOn(9, "UAE9*", g_stands[0], kSimStateActive)); // 18 m span: clear
    LiveAc& ac = add(taxiing(20001, "DLH1", standAt(1)));
    ac.registration = "D-AIZZ";

    try2Park(ac, false);
    EXPECT_EQ(g_liveAircraft[0].simState, kSimStateRemoving);
    EXPECT_TRUE(logHas("A2      : BAW2     removed, DLH1 wants to park there"));
    EXPECT_EQ(g_staticAircraft[0].simState, kSimStateRemoving);
    EXPECT_TRUE(logHas("A2      : AFR7*    D-AFR7* makes way for DLH1 D-AIZZ"));
    EXPECT_EQ(g_staticAircraft[1].simState, kSimStateRemoving);
    EXPECT_TRUE(logHas("A3      : KLM8*    makes way for DLH1 parking at excluded stand A2"));
    EXPECT_EQ(g_staticAircraft[2].simState, kSimStateActive);
}

TEST_F(LiveParkingTest, AQueuedStaticIsTakenBackAndDropped)
{
    StaticAc st = staticOn(7, "AFR7*", g_stands[1], kSimStateAdding);
    st.secondCallsign = "DLH1";
    g_staticAircraft.push_back(st);
    g_staticAircraft.push_back(staticOn(8, "KLM8*", g_stands[3], kSimStateAdding));
    g_createQueueStatic.push_back(CreateRequest{{}, "AFR7*", {}, 7});
    g_createQueueStatic.push_back(CreateRequest{{}, "KLM8*", {}, 8});
    LiveAc ac = taxiing(20001, "DLH1", standAt(1));
    lf_makeWay(ac, g_stands[1]);
    EXPECT_TRUE(logHas("queued A2      : AFR7*    D-AFR7* makes way for the same live version DLH1 "));
    ASSERT_EQ(g_staticAircraft.size(), 1u);
    EXPECT_EQ(g_staticAircraft[0].callsign, "KLM8*");
    ASSERT_EQ(g_createQueueStatic.size(), 1u);
    EXPECT_EQ(g_createQueueStatic[0].callsign, "KLM8*");
}

TEST_F(LiveParkingTest, TheLoserOfAStandKeepsTheWinnersFlag)
{
    LiveAc& first = add(taxiing(20001, "DLH1", standAt(1)));
    try2Park(first, false);
    first.cur.latitude = first.samples.back().latitude;
    first.cur.longitude = first.samples.back().longitude;
    first.samples.resize(1);
    lf_arriveAtStand(first);
    ASSERT_EQ(first.situation, kSituationParked);
    ASSERT_EQ(g_stands[1].occupied, 1);
    EXPECT_TRUE(logHas("A2      : DLH1     arrived at stand"));

    // A second one was sent there before the first arrived.
    LiveAc second = taxiing(20002, "BAW2", standAt(1));
    second.situation = kSituationParking;
    second.standId = 2;
    LiveAc& loser = add(std::move(second));
    lf_arriveAtStand(loser);
    EXPECT_EQ(loser.simState, kSimStateRemoving);
    EXPECT_EQ(loser.standId, 0u);
    EXPECT_EQ(g_stands[1].occupied, 1);

    // One still driving in leaves the flag alone when it goes; the one
    // parked there clears it.
    LiveAc third = taxiing(20003, "AFR3", standAt(0));
    third.situation = kSituationParking;
    third.standId = 2;
    removeAircraftFromSim(add(std::move(third)));
    EXPECT_EQ(g_stands[1].occupied, 1);
    removeAircraftFromSim(g_liveAircraft[0]);
    EXPECT_EQ(g_stands[1].occupied, 0);
}

TEST_F(LiveParkingTest, ACargoFlightOnARampMakesItACargoStandToBeSaved)
{
    g_stands.edit([](std::vector<Stand>& v) { v[1].ramp = 1; });
    LiveAc& ac = add(taxiing(20001, "BOX1", standAt(1)));
    ac.key.cargo = 1;
    try2Park(ac, false);
    EXPECT_EQ(ac.standFlagCopy, 0);
    ac.cur.latitude = standAt(1).lat;
    ac.cur.longitude = standAt(1).lon;
    lf_arriveAtStand(ac);
    EXPECT_EQ(g_stands[1].cargo, 1);
    EXPECT_EQ(g_stands[1].ramp, 0);
    EXPECT_EQ(g_stands[1].cargoChanged, 1);

    // The next one there copies the cargo flag.
    LiveAc& next = add(taxiing(20002, "BOX2", standAt(1)));
    g_stands[1].occupied = 0;
    try2Park(next, false);
    EXPECT_EQ(next.standFlagCopy, 1);
}

TEST_F(LiveParkingTest, AParkedSpawnTestsItsNeighboursAndPushesNobodyOff)
{
    LiveAc x = parkedOn(20002, "BAW2", g_stands[2]);
    x.radius = 0.05;
    add(std::move(x));
    LiveAc spawn = taxiing(20001, "DLH1", standAt(1));
    spawn.simState = kSimStateBuffer;
    spawn.situation = kSituationBirth;
    spawn.samples.push_back(spawn.samples.front());
    LiveAc& ac = add(std::move(spawn));
    EXPECT_FALSE(lf_standForNewAc(ac).has_value());
    EXPECT_EQ(ac.erase, 1);
    EXPECT_EQ(g_liveAircraft[0].simState, kSimStateActive);

    g_liveAircraft[0].radius = 0.005;
    ac.erase = 0;
    const std::optional<Stand> stand = lf_standForNewAc(ac);
    ASSERT_TRUE(stand.has_value());
    EXPECT_EQ(stand->name, "A2");
    EXPECT_EQ(ac.samples.front().onGround, 1);
    EXPECT_EQ(ac.samples.front().groundSpeed, 0.0);
}

TEST_F(LiveParkingTest, AStandIsGivenToASpawnOnlyNearTheParkAirport)
{
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.latitude = kApronLat + 0.1; // 6 NM north
    }
    LiveAc spawn = taxiing(20001, "DLH1", standAt(1));
    spawn.samples.push_back(spawn.samples.front());
    EXPECT_FALSE(lf_standForNewAc(spawn).has_value());
    EXPECT_EQ(spawn.erase, 0);
}

struct WatchCase
{
    const char* name;
    std::vector<double> metresSouth; // successive samples from the stand
    bool pullsOut;
    bool removed;
};

class PullOutWatchTest : public LiveParkingTest, public ::testing::WithParamInterface<WatchCase>
{
};

// A parked airliner (18 m radius) on A2 takes samples from the service.
TEST_P(PullOutWatchTest, SamplesAwayFromTheStandStartTheDeparture)
{
    const WatchCase& c = GetParam();
    LiveAc& ac = add(parkedOn(20001, "DLH1", g_stands[1]));
    ac.previousSituation = kSituationBirth;
    g_stands[1].occupied = 1;
    std::int64_t play = g_clock.load() + 100;
    for (const double south : c.metresSouth)
    {
        PositionSample s = groundSample(LatLon{kApronLat - south / 111132.95, standAt(1).lon}, 3.0, play += 100);
        decodeExisting(ac, s);
    }
    EXPECT_EQ(ac.pullOutMark, c.pullsOut ? 1 : 0);
    EXPECT_EQ(ac.simState == kSimStateRemoving, c.removed);
    EXPECT_EQ(ac.reportedAtStand, 1);
    EXPECT_EQ(g_stands[1].occupied, c.pullsOut || c.removed ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, PullOutWatchTest,
    ::testing::Values(WatchCase{"standing", {1.0, 1.5, 1.0, 2.0}, false, false},
                      // Three steps of more than 3 m, 10.5 m out in all: beyond half a radius.
                      WatchCase{"three_steps_out", {1.0, 4.5, 8.0, 11.5}, true, false},
                      WatchCase{"two_steps", {1.0, 4.5, 8.0}, false, false},
                      WatchCase{"a_step_back_resets", {1.0, 4.5, 1.0, 4.5, 8.0}, false, false},
                      WatchCase{"beyond_a_radius_at_once", {1.0, 20.0}, true, false},
                      WatchCase{"beyond_85_m", {100.0}, true, false},
                      WatchCase{"beyond_200_m", {250.0}, false, true}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct StandFlagCase
{
    const char* name;
    std::uint32_t situation;
    std::uint8_t pullOutMark;
    bool forgetLivery; // else removed from the simulator
    std::uint8_t occupiedAfter;
};

class StandFlagTest : public LiveParkingTest, public ::testing::WithParamInterface<StandFlagCase>
{
};

// A live aircraft gives its stand's flag back only when the flag is its own:
// once it has pulled out, another aircraft may stand there.
TEST_P(StandFlagTest, OnlyTheAircraftParkedOnTheStandClearsItsFlag)
{
    const StandFlagCase& c = GetParam();
    LiveAc& ac = add(parkedOn(20001, "DLH1", g_stands[1]));
    ac.situation = c.situation;
    ac.pullOutMark = c.pullOutMark;
    gf_setStandOccupied(ac.standId, true);
    if (c.forgetLivery)
        lf_forgetLivery(ac);
    else
        removeAircraftFromSim(ac);
    EXPECT_EQ(g_stands[1].occupied, c.occupiedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StandFlagTest,
    ::testing::Values(StandFlagCase{"removed_parked", kSituationParked, 0, false, 0},
                      StandFlagCase{"removed_pulled_out", kSituationParked, 1, false, 1},
                      StandFlagCase{"livery_forgotten_parked", kSituationParked, 0, true, 0},
                      StandFlagCase{"livery_forgotten_pulled_out", kSituationParked, 1, true, 1},
                      StandFlagCase{"livery_forgotten_driving_in", kSituationParking, 0, true, 1}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// The park limit with 4 stands at 50 %: two aircraft.
class MaxParkTest : public LiveParkingTest
{
  protected:
    void SetUp() override
    {
        LiveParkingTest::SetUp();
        CUSTOM_PARKING_PERCENTAGE.current.store(50);
        MAX_PARK_SEL.current.store(500);
        INITIAL_LOAD_ONLY.current.store(false);
        RT_PARKTRAFFIC_ONLY.current.store(false);
        g_weekdayHour.store(gf_packWeekdayHour(2, 20));
        // Two live aircraft parked 30 and 10 minutes ago, two statics
        // arrived on Tuesday 08:00 and Monday 22:30; it is Tuesday 10:00.
        LiveAc a = parkedOn(20001, "DLH1", g_stands[0]);
        a.parkedTime = clock.now().time_since_epoch().count();
        add(std::move(a));
        clock.advance(20min);
        LiveAc b = parkedOn(20002, "BAW2", g_stands[1]);
        b.parkedTime = clock.now().time_since_epoch().count();
        add(std::move(b));
        clock.advance(10min);
        StaticAc late = staticOn(7, "AFR7*", g_stands[2], kSimStateActive);
        late.parkedSince = gf_packWeekdayHour(2, 16);
        g_staticAircraft.push_back(late);
        StaticAc early = staticOn(8, "KLM8*", g_stands[3], kSimStateActive);
        early.parkedSince = gf_packWeekdayHour(1, 45);
        g_staticAircraft.push_back(early);
    }
    void TearDown() override
    {
        CUSTOM_PARKING_PERCENTAGE.current.store(-1);
        MAX_PARK_SEL.current.store(500);
        INITIAL_LOAD_ONLY.current.store(false);
        RT_PARKTRAFFIC_ONLY.current.store(false);
        g_weekdayHour.store(0);
        LiveParkingTest::TearDown();
    }

    std::vector<std::string> removed() const
    {
        std::vector<std::string> out;
        for (const LiveAc& a : g_liveAircraft)
            if (a.simState == kSimStateRemoving)
                out.push_back(a.callsign);
        for (const StaticAc& s : g_staticAircraft)
            if (s.simState == kSimStateRemoving)
                out.push_back(s.callsign);
        return out;
    }
};

TEST_F(MaxParkTest, OneLiveAndOneStaticGoPerCallLongestParkedAndEarliestFirst)
{
    gf_checkMaxPark(1);
    EXPECT_EQ(removed(), (std::vector<std::string>{"DLH1", "KLM8*"}));
    EXPECT_TRUE(logHas("A1      : DLH1 live max park exceeded, removed"));
    EXPECT_TRUE(logHas("A4      : KLM8* static max park exceeded, removed"));
}

struct LimitCase
{
    const char* name;
    std::int32_t percent;
    std::int32_t maxParkSel;
    bool initialLoadOnly;
    bool parkTrafficOnly;
    std::vector<std::string> removed;
};

class MaxParkSettingsTest : public MaxParkTest, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(MaxParkSettingsTest, TheSettingsDecideWhatTheLimitRemoves)
{
    const LimitCase& c = GetParam();
    CUSTOM_PARKING_PERCENTAGE.current.store(c.percent);
    MAX_PARK_SEL.current.store(c.maxParkSel);
    INITIAL_LOAD_ONLY.current.store(c.initialLoadOnly);
    RT_PARKTRAFFIC_ONLY.current.store(c.parkTrafficOnly);
    gf_checkMaxPark(1);
    EXPECT_EQ(removed(), c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MaxParkSettingsTest,
    // 2 live and 2 static aircraft stand, 1 more arrives.
    ::testing::Values(LimitCase{"max_park_0", 100, 0, false, false, {}},
                      LimitCase{"initial_load_only", 50, 500, true, false, {"KLM8*"}},
                      LimitCase{"park_traffic_only", 50, 500, false, true, {}},
                      LimitCase{"room_for_the_live_ones", 100, 500, false, false, {"KLM8*"}},
                      LimitCase{"cap_below_share", 100, 1, false, false, {"DLH1", "KLM8*"}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

struct ArrivalCase
{
    const char* name;
    std::uint64_t now;
    std::uint64_t afrArrival;
    std::uint64_t klmArrival;
    const char* removedStatic;
};

class MaxParkArrivalTest : public MaxParkTest, public ::testing::WithParamInterface<ArrivalCase>
{
};

// The static aircraft that has stood longest goes, its age counted back
// through the week.
TEST_P(MaxParkArrivalTest, TheStaticThatHasStoodLongestGoes)
{
    const ArrivalCase& c = GetParam();
    g_weekdayHour.store(c.now);
    g_staticAircraft[0].parkedSince = c.afrArrival;
    g_staticAircraft[1].parkedSince = c.klmArrival;
    gf_checkMaxPark(1);
    EXPECT_EQ(removed(), (std::vector<std::string>{"DLH1", c.removedStatic}));
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, MaxParkArrivalTest,
    ::testing::Values(
        // Monday 00:30: Sunday 23:00 is older than Monday 00:00.
        ArrivalCase{"across_the_weeks_end", gf_packWeekdayHour(1, 1), gf_packWeekdayHour(1, 0),
                    gf_packWeekdayHour(7, 46), "KLM8*"},
        ArrivalCase{"within_the_week", gf_packWeekdayHour(3, 4), gf_packWeekdayHour(2, 16), gf_packWeekdayHour(3, 2),
                    "AFR7*"},
        ArrivalCase{"a_tie_takes_the_first", gf_packWeekdayHour(3, 4), gf_packWeekdayHour(2, 16),
                    gf_packWeekdayHour(2, 16), "AFR7*"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(MaxParkTest, TheLongestParkedGoFirst)
{
    LiveAc c = parkedOn(20003, "AFR3", g_stands[2]);
    c.parkedTime = clock.now().time_since_epoch().count();
    add(std::move(c));
    gf_removeLongestParkedLive(2);
    EXPECT_EQ(removed(), (std::vector<std::string>{"DLH1", "BAW2"}));
    EXPECT_EQ(std::ranges::count_if(logLines(), [](const std::string& l)
                                    { return l.find("live parked ") != std::string::npos && l.find(" removed") != std::string::npos; }),
              2);
    gf_removeLongestParkedLive(10);
    EXPECT_EQ(removed().size(), 3u);
}

} // namespace
} // namespace ovr::test
