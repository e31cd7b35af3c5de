// The static parked aircraft of a park airport in a whole session: the user
// stands at the airport, the service reports one parked aircraft, the stands
// hold learned options for this hour, and the stands fill one creation slot
// after another.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "liveries/model_lookups.h"
#include "simlink/sim_queues.h"
#include "traffic/adding_stack.h"
#include "traffic/live_parking.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/stop_request.h"
#include "service/traffic_reader.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"
#include "traffic/static_parking.h"
#include "park_airport_session.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr double kAirportLat = 50.0;
constexpr double kAirportLon = 8.0;

struct FileStand
{
    const char* name;
    double lat;
    double lon;
    const char* option; // the <opt> of the stand, or empty
};

// Stands about 143 m apart, and one pair (N1, N2) only 29 m apart: two A320
// (half spans of 17.9 m) cannot stand on both.
const std::vector<FileStand> kStands{
    {"U1", kAirportLat, 8.000, R"(<opt reg="D-AIUA" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH11" />)"},
    {"A1", kAirportLat, 8.002, R"(<opt reg="G-EUUA" airl="BAW" type="A320" day="1" hh="18:22" cs="BAW21" />)"},
    {"A2", kAirportLat, 8.004, R"(<opt reg="F-HBNA" airl="AFR" type="A320" day="1" hh="18:22" cs="AFR31" />)"},
    {"A3", kAirportLat, 8.006, R"(<opt reg="OE-LBA" airl="AUA" type="A320" day="1" hh="18:22" cs="AUA41" />)"},
    {"A4", kAirportLat, 8.008, R"(<opt reg="D-AEWA" airl="EWG" type="A320" day="1" hh="18:22" cs="EWG51" />)"},
    {"N1", 50.001, 8.0100, R"(<opt reg="D-AIUB" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH61" />)"},
    {"N2", 50.001, 8.0104, R"(<opt reg="G-EUUB" airl="BAW" type="A320" day="1" hh="18:22" cs="BAW71" />)"},
    {"A5", kAirportLat, 8.012, ""},
};

void writeAirportFile()
{
    std::vector<ParkposLine> lines;
    for (const FileStand& s : kStands)
        lines.push_back(ParkposLine{s.name, s.lat, s.lon, 90.0, 20.0, s.option});
    writeParkingFile("Static fill", "Test", 0.0, lines);
}

fakert::Scenario parkedScenario()
{
    fakert::Scenario s = trackScenario({});
    s.airport = fakert::Airport{"EDDF", "FRA", {kAirportLat, kAirportLon}, 0.0};
    for (const FileStand& stand : kStands)
    {
        s.stands.push_back(fakert::Stand{stand.name, {stand.lat, stand.lon}, 90.0});
    }
    s.parked.push_back(fakert::ParkedAircraft{"3c4b26", "A5", "A320", "D-AIZB", "DLH77", 35.0});
    return s;
}

sim::Scenario userAtStandU1()
{
    sim::Scenario s = airborneUser(kAirportLat, kAirportLon, 0.0);
    s.user.pose.onGround = true;
    return s;
}

class StaticFillTest : public ParkAirportSession
{
  protected:
    void SetUp() override
    {
        ParkAirportSession::SetUp();
        g_airports = {Airport{IcaoCode("EDDF"), IataCode("FRA"), kAirportLat, kAirportLon, 0.0f, 0}};
        CUSTOM_PARKING_PERCENTAGE.current.store(-1);
        MAX_PARK_SEL.current.store(500);
    }

    void startAtTheAirport(fakert::Scenario service)
    {
        start(userAtStandU1(), std::move(service));
        writeAirportFile();
    }

    static const FileStand& standAt(double lat, double lon)
    {
        const auto it = std::ranges::min_element(
            kStands, {}, [&](const FileStand& s) { return gf_distanceNm(LatLon{lat, lon}, LatLon{s.lat, s.lon}); });
        EXPECT_LT(gf_distanceNm(LatLon{lat, lon}, LatLon{it->lat, it->lon}), 1e-6) << lat << "," << lon;
        return *it;
    }
};

struct FillCase
{
    const char* name;
    // The airport list's stand count, from which an airport without a
    // learned file takes its parking percentage (1: 100 %, 2: 50 %).
    std::int32_t listedStands;
    std::size_t created;
    const char* positionsLine;
    const char* foundLine;
};

TEST_F(StaticFillTest, FillsTheFreeStandsUpToTheParkLimit)
{
    // 8 stands; free for traffic: A1-A4, one of N1/N2 and A5 (the reported
    // aircraft); U1 is the user's.
    const std::vector<FillCase> cases{
        // Seven stands wanted beside the reported one: the search widens to
        // the widest fit window and finds five.
        {"limit above the free stands", 1, 6, "6 positions (75% vs wanted 100%, with Max fit=24.0 hours)",
         "5 real positions found, Max fit=24.0 hours, day 1, hh:20 or 11.0 hrs, fit: 24.0 hour"},
        {"limit below the free stands", 2, 4, "4 positions (50% vs wanted 50%, with Max fit=24.0 hours)",
         "5 real positions found, Max fit=24.0 hours, day 1, hh:20 or 11.0 hrs, fit: 0.5 hour"},
    };
    for (const FillCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        g_airports.front().stands = c.listedStands;
        const int parkedBefore = parkedReplies();
        startAtTheAirport(parkedScenario());
        runFor(70s);

        EXPECT_EQ(g_parkAirport.icao.text(), "EDDF");
        EXPECT_EQ(parkedReplies() - parkedBefore, 1);
        EXPECT_EQ(logWith(c.positionsLine).size(), 1u) << c.positionsLine;
        EXPECT_EQ(logWith("1 parking position from PT").size(), 1u);
        EXPECT_EQ(logWith(c.foundLine).size(), 1u) << c.foundLine;

        const std::vector<sim::CallRecord> creates = calls("SimConnect_AICreateNonATCAircraft");
        ASSERT_EQ(creates.size(), c.created);
        for (std::size_t i = 1; i < creates.size(); ++i)
        {
            EXPECT_GE(creates[i].atMs - creates[i - 1].atMs, 500) << "two creations in one slot";
        }
        std::vector<const FileStand*> filled;
        bool reportedPlaced = false;
        for (const sim::CallRecord& create : creates)
        {
            const std::string tail = create.args.at("tail").get<std::string>();
            EXPECT_EQ(tail.back(), '*') << tail;
            EXPECT_EQ(create.args.at("on_ground").get<int>(), 1);
            EXPECT_EQ((create.atMs - creates.front().atMs) % 500, 0) << "a creation outside the 500 ms slots";
            const FileStand& stand = standAt(create.args.at("lat").get<double>(), create.args.at("lon").get<double>());
            EXPECT_NE(std::string(stand.name), "U1") << "the user's stand was given away";
            filled.push_back(&stand);
            reportedPlaced = reportedPlaced || (tail == "DLH77*" && std::string(stand.name) == "A5");
        }
        EXPECT_TRUE(reportedPlaced);
        // No two aircraft whose wings would touch.
        const bool bothNeighbours =
            std::ranges::count_if(filled, [](const FileStand* s) { return s->name[0] == 'N'; }) > 1;
        EXPECT_FALSE(bothNeighbours);
        std::ranges::sort(filled);
        EXPECT_EQ(std::ranges::adjacent_find(filled), filled.end()) << "two aircraft on one stand";

        // Each static aircraft is parked 200 passes after its created event.
        std::size_t active = 0;
        for (const StaticAc& ac : g_staticAircraft)
        {
            active += ac.simState == kSimStateActive ? 1 : 0;
        }
        EXPECT_EQ(active, c.created);
        EXPECT_EQ(g_parkingCandidateCount.load(), 0) << "the window still shows candidates waiting";
        EXPECT_EQ(logWith(" parked").size(), c.created);
        for (const StaticAc& ac : g_staticAircraft)
        {
            const auto create = std::ranges::find_if(creates, [&](const sim::CallRecord& r)
                                                     { return r.args.at("tail").get<std::string>() == ac.callsign; });
            ASSERT_NE(create, creates.end());
            const std::vector<sim::CallRecord> configured = [&]
            {
                std::vector<sim::CallRecord> out;
                for (sim::CallRecord& e : calls("SimConnect_TransmitClientEvent"))
                {
                    if (e.args.value("object_id", 0u) == ac.objectId)
                    {
                        out.push_back(std::move(e));
                    }
                }
                return out;
            }();
            // The link's own events come with the created event; the parked
            // configuration (throttle, flaps, engines, lights) 200 passes later.
            ASSERT_FALSE(configured.empty()) << ac.callsign;
            const std::int64_t createdAt = configured.front().atMs;
            const auto parkedConfig = std::ranges::find_if(configured, [&](const sim::CallRecord& e)
                                                           { return e.atMs > createdAt; });
            ASSERT_NE(parkedConfig, configured.end()) << ac.callsign;
            EXPECT_EQ(parkedConfig->atMs - createdAt, 2000) << ac.callsign;
        }

        std::ifstream file(g_myParkAirportsTxtPath, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), {});
        EXPECT_EQ(text, "EDDF,U1\n");
        EXPECT_EQ(g_reservedStand, "U1");
    }
}

TEST_F(StaticFillTest, AnAccountWithoutParkedTrafficStillGetsItsLearnedStands)
{
    g_airports.front().stands = 1; // parks 100 %
    refuseParkedTraffic(403);
    startAtTheAirport(parkedScenario());
    runFor(70s);

    EXPECT_EQ(logWith("RT API: no parked traffic for this kind of account").size(), 1u);
    EXPECT_TRUE(g_trafficReader.parkedRefused.load());
    EXPECT_EQ(logWith("0 parking positions from PT").size(), 1u);
    const std::vector<sim::CallRecord> creates = calls("SimConnect_AICreateNonATCAircraft");
    EXPECT_EQ(creates.size(), 5u); // A1-A4 and one of N1/N2
    for (const sim::CallRecord& create : creates)
    {
        EXPECT_NE(create.args.at("tail").get<std::string>(), "DLH77*");
    }
    // The session goes on: live traffic is still asked for.
    EXPECT_GT(liveReplies(), 10);
    EXPECT_EQ(g_stop.load(), 0);
}


// One candidate placed by the creation step, on stands set up by hand.
class CheckStaticStandTest : public VirtualSession
{
  protected:
    void SetUp() override
    {
        VirtualSession::SetUp();
        start(airborneUser(), trackScenario({}));
        gf_clearStands();
        // S1 and S2 are 29 m apart, S3 143 m from S1.
        addStand("S1", 1, 50.0, 8.0000, {2});
        addStand("S2", 2, 50.0, 8.0004, {1, 3});
        addStand("S3", 3, 50.0, 8.0020, {2});
        g_weekdayHour.store(gf_packWeekdayHour(1, 20));
    }
    void TearDown() override
    {
        g_parkCandidates.clear();
        g_staticAircraft.clear();
        g_liveAircraft.clear();
        g_createQueueStatic.clear();
        gf_clearStands();
        g_staticRunningNumber = 0;
        VirtualSession::TearDown();
    }
    static void addStand(const char* name, std::int32_t id, double lat, double lon, std::vector<std::int32_t> adjacent)
    {
        Stand s;
        s.name = name;
        s.numericId = id;
        s.latitude = lat;
        s.longitude = lon;
        s.radius = 20.0 * kNmPerMetre;
        s.adjacent = std::move(adjacent);
        g_stands.push_back(s);
    }
    static ParkCandidate candidate(std::int32_t standId, std::string callsign, std::string callsign2 = {},
                                   std::uint8_t prefer = 1, const char* airline = "DLH", const char* type = "A320")
    {
        ParkCandidate c;
        c.standId = standId;
        c.key = FlightKey{gf_airlineId(airline), 0, gf_modelId(type), 0, 0};
        c.callsign = std::move(callsign);
        c.callsign2 = std::move(callsign2);
        c.registration = "D-AIZB";
        c.stays = prefer;
        c.origin = 1;
        return c;
    }
    // Places the candidate; the callsign of the static aircraft it became, or
    // empty.
    static std::string place(ParkCandidate c)
    {
        const std::size_t before = g_staticAircraft.size();
        g_parkCandidates.push_back(std::move(c));
        lf_checkStaticStand();
        EXPECT_TRUE(g_parkCandidates.empty());
        return g_staticAircraft.size() > before ? g_staticAircraft.back().callsign : std::string();
    }
};

TEST_F(CheckStaticStandTest, AStandIdThatIsNotInTheListIsDroppedWithAWarning)
{
    for (const std::int32_t id : {0, -4, 99})
    {
        SCOPED_TRACE(id);
        EXPECT_EQ(place(candidate(id, "DLH1")), "");
    }
    EXPECT_EQ(logWith("==> stand with id sid==0? not found").size(), 2u);
    EXPECT_EQ(logWith("==> stand with id sid==? not found").size(), 1u);
    EXPECT_TRUE(g_createQueueStatic.empty());
}

TEST_F(CheckStaticStandTest, TheCallsignTakesTheStaticForm)
{
    struct Case
    {
        const char* callsign;
        const char* callsign2;
        std::uint8_t prefer;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"DLH12", "", 1, "DLH12*"},
        {"DLH12__", "", 1, "DLH12*"},
        {"DLH12*", "", 1, "DLH12*"},
        {"DLH12", "DLH34", 0, "DLH34*"},
        {"DLH12", "", 0, "DLH12*"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.callsign);
        EXPECT_EQ(place(candidate(3, c.callsign, c.callsign2, c.prefer)), c.expected);
        g_staticAircraft.clear();
    }
    g_staticRunningNumber = 41;
    EXPECT_EQ(place(candidate(3, "")), "DLH42*");
}

TEST_F(CheckStaticStandTest, ANeighbourIsAConflictOnlyWhenTheWingsReach)
{
    ASSERT_EQ(place(candidate(1, "DLH1")), "DLH1*");
    // S2 is 29 m from S1: two A320 (17.9 m half spans) would touch.
    EXPECT_EQ(place(candidate(2, "DLH2")), "");
    EXPECT_EQ(logWith("S2      : no static parking for DLH2, static aircraft DLH1* is adjacent at S1, possibly colliding").size(),
              1u);
    // Two small aircraft fit side by side there.
    g_staticAircraft.front().radius = 0.004;
    EXPECT_EQ(place(candidate(2, "N172", {}, 1, "ZZZ", "C172")), "N172*");
    // On the stand itself nothing more goes.
    EXPECT_EQ(place(candidate(1, "DLH3")), "");
}

TEST_F(CheckStaticStandTest, ALiveAircraftOnOrBesideTheStandKeepsItFree)
{
    LiveAc live;
    live.callsign = "BAW9";
    live.situation = kSituationParked;
    live.standId = 1;
    live.radius = gf_wingspanOf(gf_modelId("A320"));
    g_liveAircraft.push_back(live);
    EXPECT_EQ(place(candidate(1, "DLH1")), "");
    EXPECT_EQ(logWith("S1      : no static parking for DLH1, live aircraft BAW9 standing here").size(), 1u);
    EXPECT_EQ(place(candidate(2, "DLH2")), "");
    EXPECT_EQ(logWith("S2      : no static parking for DLH2, live aircraft BAW9 is adjacent at S1, possibly colliding").size(),
              1u);
    EXPECT_EQ(place(candidate(3, "DLH3")), "DLH3*");
}

TEST_F(CheckStaticStandTest, TheArrivalIsCountedBackFromNowByTheAge)
{
    ParkCandidate young = candidate(3, "DLH1");
    young.age = 30; // 15 hours before Monday 10:00
    ASSERT_EQ(place(young), "DLH1*");
    EXPECT_EQ(g_staticAircraft.back().parkedSince, gf_packWeekdayHour(7, 38));
    EXPECT_EQ(g_staticAircraft.back().simState, kSimStateAdding);
    ASSERT_EQ(g_createQueueStatic.size(), 1u);
    EXPECT_EQ(g_createQueueStatic.front().callsign, "DLH1*");
    EXPECT_EQ(g_createQueueStatic.front().key, g_staticAircraft.back().aiKey);
}


TEST_F(CheckStaticStandTest, LiveCreationsGoFirstInTheCreationSlots)
{
    for (const char* tail : {"LIVE1", "LIVE2"})
    {
        CreateRequest live;
        live.initPosition.Latitude = 50.1;
        live.initPosition.Longitude = 8.1;
        live.initPosition.Altitude = 5000.0;
        live.callsign = tail;
        live.liveryTitle = "Airbus A320 Air France";
        live.key = 0x400000u + static_cast<std::uint32_t>(tail[4]);
        g_createQueueLive.push_back(live);
    }
    g_parkCandidates.push_back(candidate(3, "DLH1"));
    runFor(2500ms);
    std::vector<std::string> order;
    std::vector<std::int64_t> at;
    for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
    {
        order.push_back(r.args.at("tail").get<std::string>());
        at.push_back(r.atMs);
    }
    ASSERT_EQ(order, (std::vector<std::string>{"LIVE1", "LIVE2", "DLH1*"}));
    // One creation per 500 ms slot; the candidate is placed in the slot after
    // the live queue ran empty and created in the next one.
    EXPECT_EQ(at[1] - at[0], 500);
    EXPECT_EQ(at[2] - at[1], 1000);
}

} // namespace
} // namespace ovr::test
