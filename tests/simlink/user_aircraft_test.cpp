// The user aircraft: its data once a second and what follows from it (a
// jump ends the session, the stand under it, the simulator's time), its
// on-ground state, a new flight, its title and its model.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airports/stand.h"
#include "airports/stand_list.h"
#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_on_ground.h"
#include "link_fixture.h"
#include "liveries/model_database.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

constexpr double kLat = 50.0379;
constexpr double kLon = 8.5622;

class UserAircraft : public LinkTest
{
  protected:
    void begin(sim::Scenario s = baseScenario())
    {
        startWorld(std::move(s));
        connect();
    }

    // The on-ground request of the session start, once a second.
    void requestOnGround()
    {
        const std::lock_guard lock(g_simConnectMutex);
        SimConnect_RequestDataOnSimObject(g_simConnect, kReqUserOnGround, kDefUserOnGround,
                                          SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND, 0, 0, 0, 0);
    }

    void teleport(double lat, double lon)
    {
        sim::Pose pose;
        pose.latDeg = lat;
        pose.lonDeg = lon;
        world().teleportUser(pose);
    }
};

// The largest latitude step north of kLat that is not more than nm away.
double latitudeAtMost(double nm)
{
    double lat = kLat + nm / 60.0;
    while (gf_distanceNm({kLat, kLon}, {lat, kLon}) > nm)
    {
        lat = std::nextafter(lat, 0.0);
    }
    while (gf_distanceNm({kLat, kLon}, {std::nextafter(lat, 90.0), kLon}) <= nm)
    {
        lat = std::nextafter(lat, 90.0);
    }
    return lat;
}

struct JumpCase
{
    const char* label;
    double lat;
    double lon;
    bool newFlight;
};

class Jump : public UserAircraft, public ::testing::WithParamInterface<JumpCase>
{
};

TEST_P(Jump, OfMoreThanTenMilesIsANewFlight)
{
    const JumpCase& c = GetParam();
    begin();
    userTick();
    userTick();
    ASSERT_EQ(g_userState.latitude, kLat) << "the first reply is never a jump";
    ASSERT_EQ(g_stop.load(), 0);

    teleport(c.lat, c.lon);
    userTick();
    userTick(); // the reply after the jump's is back at a known distance
    EXPECT_EQ(g_stop.load() != 0, c.newFlight);
    EXPECT_EQ(logCount("Teleport"), c.newFlight ? 1 : 0);
    if (c.newFlight)
    {
        EXPECT_EQ(g_exitReason.load(), kExitNewFlight);
        EXPECT_EQ(g_restartDelay.load(), 45);
    }
}

INSTANTIATE_TEST_SUITE_P(Distances, Jump,
                         ::testing::Values(JumpCase{"By9_99nm", kLat + 9.99 / 60.0, kLon, false},
                                           JumpCase{"ByExactly10nm", latitudeAtMost(10.0), kLon, false},
                                           JumpCase{"By10_01nm", kLat + 10.01 / 60.0, kLon, true},
                                           JumpCase{"ToUnknownPosition", 0.0, 0.0, false}),
                         caseLabel<JumpCase>);

TEST(JumpBoundary, ExactlyTenMilesIsMeasuredAsTen)
{
    EXPECT_NEAR(gf_distanceNm({kLat, kLon}, {latitudeAtMost(10.0), kLon}), 10.0, 1e-9);
}

struct FlightCase
{
    const char* label;
    bool asEvent;
    const char* line;
};

class NewFlight : public UserAircraft, public ::testing::WithParamInterface<FlightCase>
{
};

TEST_P(NewFlight, StopsOnceAndTheFirstReasonStands)
{
    sim::Scenario s = baseScenario();
    s.flightLoadedAsEvent = GetParam().asEvent;
    begin(s);
    world().loadFlight();
    step();
    EXPECT_EQ(g_exitReason.load(), kExitNewFlight);
    EXPECT_EQ(g_restartDelay.load(), 45);

    world().loadFlight();
    step();
    gf_onSimRequestError();
    EXPECT_EQ(g_exitReason.load(), kExitNewFlight);
    EXPECT_EQ(g_restartDelay.load(), 45);
    EXPECT_EQ(logCount(GetParam().line), 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, NewFlight,
                         ::testing::Values(FlightCase{"FileName", false, "==> SimConnect: New file event"},
                                           FlightCase{"Event", true, "SimConnect: flight loaded event"}),
                         caseLabel<FlightCase>);

TEST_F(UserAircraft, OnGroundIsTakenOnceThePositionIsKnown)
{
    begin();
    requestOnGround();
    step();
    EXPECT_EQ(g_userDataArrived.exchange(0), 1);
    EXPECT_EQ(g_userOnGroundValid.load(), 0);

    userTick();
    step(1000);
    EXPECT_EQ(g_userDataArrived.exchange(0), 1);
    EXPECT_EQ(g_userOnGroundValid.load(), 1);
    EXPECT_EQ(g_userOnGround.load(), 1);
}

TEST_F(UserAircraft, TheRequestReturnsThePreviousReplyWhole)
{
    begin();
    UserAcState out;
    gf_requestUserAcPosition(out);
    EXPECT_EQ(out.latitude, 0.0) << "nothing has arrived yet";
    step();
    teleport(kLat + 0.01, kLon);
    gf_requestUserAcPosition(out);
    EXPECT_EQ(out.latitude, kLat);
    EXPECT_EQ(out.altitude, 364.0);
    EXPECT_EQ(g_userObjectId.load(), 1U);
    step();
    gf_requestUserAcPosition(out);
    EXPECT_EQ(out.latitude, kLat + 0.01);

    g_simConnectError.store(1);
    clearCalls();
    gf_requestUserAcPosition(out);
    EXPECT_TRUE(calls("SimConnect_RequestDataOnSimObject").empty()) << "no request while an error is flagged";
}

TEST_F(UserAircraft, AFailedRequestIsARequestError)
{
    begin();
    world().failNextCalls("SimConnect_RequestDataOnSimObject", 2);
    gf_requestUserAcTitleAndModel();
    EXPECT_EQ(logCount("==> SimConnect request user ac title fails"), 1);
    EXPECT_EQ(logCount("==> SimConnect reques user ac model fails"), 1);
    EXPECT_EQ(g_exitReason.load(), kExitSimConnectError);
}

struct EpochCase
{
    const char* label;
    bool professional;
    std::int64_t epoch;
};

class SimTime : public UserAircraft, public ::testing::WithParamInterface<EpochCase>
{
};

TEST_P(SimTime, IsKeptForProfessionalAccountsOnly)
{
    sim::Scenario s = baseScenario();
    s.zuluYear = 2024;
    s.zuluDayOfYear = 1;
    s.zuluSeconds = 0.0;
    begin(s);
    g_rtProfessional.store(GetParam().professional ? 1 : 0);
    userTick();
    EXPECT_EQ(g_simEpoch.load(), GetParam().epoch);
}

INSTANTIATE_TEST_SUITE_P(Accounts, SimTime,
                         ::testing::Values(EpochCase{"Professional", true, 1704067200},
                                           EpochCase{"Standard", false, 0}),
                         caseLabel<EpochCase>);

TEST_F(UserAircraft, ALongTitleIsCutAndARepeatedOneNotLoggedAgain)
{
    sim::Scenario s = baseScenario();
    s.user.title = std::string(48, 'T') + "-CUT-AFTER-48";
    begin(s);
    gf_requestUserAcTitleAndModel();
    step();
    gf_requestUserAcTitleAndModel();
    step();
    EXPECT_EQ(g_userTitle, std::string(48, 'T'));
    EXPECT_EQ(gf_simPanelTexts().userAircraft, std::string(48, 'T'));
    EXPECT_EQ(logCount("SimConnect: User aircraft title: " + std::string(48, 'T')), 1);
}

// The park-airport list of the traffic logic, connected to the link as the
// program connects it, and empty again afterwards.
class ParkAirportList
{
  public:
    ParkAirportList() { gf_setUserStandHandler(&gf_recordUserStand); }
    ~ParkAirportList()
    {
        gf_setUserStandHandler(nullptr);
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirports.clear();
    }
    ParkAirportList(const ParkAirportList&) = delete;
    ParkAirportList& operator=(const ParkAirportList&) = delete;
};

// The user standing at a stand of the park airport when a new flight comes:
// that stand becomes the reserved stand of the first park airport.
TEST_F(UserAircraft, TheStandUnderTheUserIsReservedOnANewFlight)
{
    const ParkAirportList list;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(scratch.path() / "airports");
    std::filesystem::current_path(scratch.path());
    g_stands.push_back(gf_makeStand("V155", {}, kLat, kLon + 0.0002, 0.0, 30.0, 0, false, false, false));
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode("EDDF");
        g_parkAirports.push_back({IcaoCode("EDDF"), ""});
    }

    begin();
    requestOnGround();
    userTick();
    step(1000);
    ASSERT_EQ(g_userOnGroundValid.load(), 1);
    userTick();
    EXPECT_EQ(g_userStandText, "V155");
    EXPECT_EQ(gf_simPanelTexts().userStand, "V155");

    world().loadFlight();
    step();
    std::ifstream in("airports/my_park_airports.txt", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::current_path(previous);
    EXPECT_EQ(written, "EDDF,V155\n");
    EXPECT_EQ(g_parkAirports.front().reservedStand, "V155");
    EXPECT_EQ(logCount("my_park_airports.txt created with EDDF,V155"), 1);

    teleport(kLat + 0.001, kLon);
    userTick();
    userTick();
    EXPECT_EQ(g_userStandText, "");
    EXPECT_EQ(gf_simPanelTexts().userStand, "");
}

// A small model table: half wingspans in metres, the largest one A388.
class UserModel : public LinkTest
{
  protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        span("B738", 17.9);
        span("A20N", 17.9);
        span("A320", 17.9);
        span("772", 30.4);
        span("E190", 14.3);
        span("CRJ7", 11.6);
        span("A388", 39.9);
        g_maxWingSpan = 39.9 / 1852.0;
        for (const char* large : {"B738", "A20N", "A320"})
        {
            g_largeModels.insert(gf_modelId(large));
        }
        g_heavyModels.insert(gf_modelId("772"));
    }
    void TearDown() override
    {
        g_wingspanTable.clear();
        g_maxWingSpan = 0.0;
        g_largeModels.clear();
        g_heavyModels.clear();
        LinkTest::TearDown();
    }

    static void span(const char* model, double halfMetres)
    {
        const std::uint16_t id = gf_modelId(model);
        if (g_wingspanTable.size() <= id)
        {
            g_wingspanTable.resize(id + 1U, 0.0);
        }
        g_wingspanTable[id] = halfMetres / 1852.0;
    }
};

struct ModelCase
{
    const char* label;
    const char* title;
    const char* model;
    const char* line;
    double halfMetres; // 0: the largest
    bool known;
};

class ModelHandling : public UserModel, public ::testing::WithParamInterface<ModelCase>
{
};

TEST_P(ModelHandling, GivesTheHalfWingspanAndCategory)
{
    const ModelCase& c = GetParam();
    g_userTitle = c.title;
    lf_onUserAcModel(c.model);

    EXPECT_EQ(logCount(c.line), 1);
    EXPECT_EQ(g_userHalfWingspanSet.load(), 1);
    EXPECT_DOUBLE_EQ(g_userHalfWingspan.load(), c.halfMetres != 0.0 ? c.halfMetres / 1852.0 : g_maxWingSpan);
    EXPECT_EQ(g_wingspanKnownShown.load(), c.known ? 1 : 0);
    EXPECT_EQ(gf_statusTexts().status,
              c.known ? ""
                      : "User aircraft wing span unknown, max is taken instead, please report in my Forum!");
}

INSTANTIATE_TEST_SUITE_P(
    Models, ModelHandling,
    ::testing::Values(
        ModelCase{"TextKey", "", "ATCCOM.AC_MODEL_B738.0.text",
                  "SimConnect: User aircraft model: B738, half wing span: 17.9 meter, category: Large", 17.9,
                  true},
        ModelCase{"DollarPrefix", "", "$$:A20N",
                  "SimConnect: User aircraft model: A20N, half wing span: 17.9 meter, category: Large", 17.9,
                  true},
        ModelCase{"Triple7", "", "777",
                  "SimConnect: User aircraft model: 772, half wing span: 30.4 meter, category: Heavy", 30.4,
                  true},
        ModelCase{"Dg737FromTitle", "PMDG DG 737-800 BBJ", "737",
                  "SimConnect: User aircraft model: B738, half wing span: 17.9 meter, category: Large", 17.9,
                  true},
        ModelCase{"Plain737", "Some 737", "737", "SimConnect: User aircraft model: 737, category: Light", 0.0,
                  false},
        ModelCase{
            "DeducedFromTitle", "Aerosoft A320 neo", "A320neo",
            "SimConnect: User aircraft model deduced from title: A320, half wing span: 17.9 meter, category: "
            "Large",
            17.9, true},
        ModelCase{"LongUnknown", "Fenix A320", "A320neo",
                  "SimConnect: User aircraft model: A320neo, category: Light", 0.0, false},
        ModelCase{"ShortUnknown", "", "ZZZZ", "SimConnect: User aircraft model: ZZZZ, category: Light", 0.0,
                  false},
        ModelCase{"Largest", "", "A388", "SimConnect: User aircraft model: A388, half wing span: 39.9 meter",
                  39.9, true},
        ModelCase{"CameraPod", "", "camerapod", "SimConnect: User aircraft model: camerapod", 14.3, true}),
    caseLabel<ModelCase>);

TEST_F(UserModel, AnEmptyModelCountsAsCrj7)
{
    lf_onUserAcModel("");
    EXPECT_EQ(gf_simPanelTexts().userAircraft, "Unknown (encrypted?) aircraft");
    EXPECT_EQ(gf_statusTexts().status,
              "171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead");
    EXPECT_DOUBLE_EQ(g_userHalfWingspan.load(), 11.6 / 1852.0);
    EXPECT_EQ(g_userHalfWingspanSet.load(), 1);
}

TEST_F(UserModel, TheRawModelIsLoggedAsReceived)
{
    startWorld();
    connect();
    gf_requestUserAcTitleAndModel();
    step();
    EXPECT_EQ(logCount("model raw: A20N"), 1);
    EXPECT_EQ(logCount("SimConnect: User aircraft model: A20N, half wing span: 17.9 meter, category: Large"),
              1);
}

} // namespace
} // namespace ovr::test
