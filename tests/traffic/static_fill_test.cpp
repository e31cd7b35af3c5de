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
#include "core/geometry.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/stop_request.h"
#include "service/traffic_reader.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"
#include "traffic/static_parking.h"
#include "virtual_session.h"

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
    fs::create_directories(g_myThirdpartyPath);
    std::ofstream out(g_myThirdpartyPath / "EDDF.xml", std::ios::binary);
    out << R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora" />
    <info name="version" value="12.5.5" />
    <info name="date" value="Jan 01, 2026" />
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only." />
    <info name="sim" value="1" />
  </meta>
  <parameters>
    <parameter name="icao" value="EDDF" />
    <parameter name="airport_name" value="Static fill" />
    <parameter name="publisher" value="Test" />
    <parameter name="version" value="1.0" />
    <parameter name="altitude" value="0" />
    <parameter name="num_parkpos" value=")"
        << kStands.size() << R"(" />
  </parameters>
  <parkpositions>
)";
    for (const FileStand& s : kStands)
    {
        out << fmt::format(R"(    <parkpos id="{}" latitude="{:.6f}" longitude="{:.6f}" heading="90.0" radius="20.0" type="0" cargo="false" ramp="false">{}</parkpos>)",
                           s.name, s.lat, s.lon, s.option)
            << "\n";
    }
    out << "  </parkpositions>\n</root>\n";
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

class StaticFillTest : public VirtualSession
{
  protected:
    void SetUp() override
    {
        VirtualSession::SetUp();
        g_airports = {Airport{IcaoCode("EDDF"), IataCode("FRA"), kAirportLat, kAirportLon, 0.0f, 0}};
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            g_parkAirports.clear();
            g_parkAirport = Airport{};
            g_reservedStand.clear();
        }
        CUSTOM_PARKING_PERCENTAGE.current.store(-1);
        MAX_PARK_SEL.current.store(500);
    }
    void TearDown() override
    {
        lf_resetParkAirport();
        g_parkingBusy.store(0);
        g_recalcPending = 0;
        g_airports.clear();
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            g_parkAirports.clear();
        }
        g_staticRunningNumber = 0;
        CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
        MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
        parking_percentage.current.store(parking_percentage.defaultValue);
        VirtualSession::TearDown();
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
};

TEST_F(StaticFillTest, FillsTheFreeStandsUpToTheParkLimit)
{
    // 8 stands; free for traffic: A1-A4, one of N1/N2 and A5 (the reported
    // aircraft); U1 is the user's.
    const std::vector<FillCase> cases{
        {"limit above the free stands", 1, 6, "6 positions (75% vs wanted 100%, with Max fit=24.0 hours)"},
        {"limit below the free stands", 2, 4, "4 positions (50% vs wanted 50%, with Max fit=24.0 hours)"},
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

} // namespace
} // namespace ovr::test
