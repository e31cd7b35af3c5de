// The static parked aircraft of a park airport through a whole session: the
// stands fill, twenty minutes later the parking is adjusted to what changed
// (a stand's option that no longer fits the hour, a stand that gained one),
// and flying away clears the airport again.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airports/airport_list.h"
#include "airports/apf_reader.h"
#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/user_on_ground.h"
#include "simlink/user_aircraft.h"
#include "core/globals.h"
#include "core/window_requests.h"
#include "service/traffic_reader.h"
#include "traffic/live_aircraft.h"
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

constexpr double kLeaveAirportLat = 50.0;
constexpr double kLeaveAirportLon = 8.0;

struct LeaveStand
{
    const char* name;
    double lon;
    const char* option; // the <opt> of the stand, or empty
};

// Stands about 143 m apart on one row. The options hold Monday 09:00-11:29,
// around the session's start (Monday 10:00).
const std::vector<LeaveStand> kLeaveStands{
    {"U1", 8.000, ""},
    {"B1", 8.002, R"(<opt reg="D-AIUA" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH11" />)"},
    {"B2", 8.004, R"(<opt reg="G-EUUA" airl="BAW" type="A320" day="1" hh="18:22" cs="BAW21" />)"},
    {"B3", 8.006, R"(<opt reg="F-HBNA" airl="AFR" type="A320" day="1" hh="18:22" cs="AFR31" />)"},
    {"B4", 8.008, ""},
    {"B5", 8.010, ""},
};

void writeLeaveAirportFile()
{
    std::vector<ParkposLine> lines;
    for (const LeaveStand& s : kLeaveStands)
        lines.push_back(ParkposLine{s.name, kLeaveAirportLat, s.lon, 90.0, 20.0, s.option});
    writeParkingFile("Adjust and leave", "Test", 0.0, lines);
}

fakert::Scenario taxiingAtTheAirport()
{
    // A taxiing aircraft that stays on the airport's ground the whole time.
    fakert::Scenario s = trackScenario({straightTrack("4ca7b5", "RYR8K", "B738", "EI-DCL", {50.0010, 8.0010},
                                                      {50.0010, 8.0110}, 0.0, 1.0, 0.0, 7200.0)});
    s.airport = fakert::Airport{"EDDF", "FRA", {kLeaveAirportLat, kLeaveAirportLon}, 0.0};
    for (const LeaveStand& stand : kLeaveStands)
    {
        s.stands.push_back(fakert::Stand{stand.name, {kLeaveAirportLat, stand.lon}, 90.0});
    }
    s.parked.push_back(fakert::ParkedAircraft{"3c4b26", "B5", "A320", "D-AIZB", "DLH77", 35.0});
    return s;
}

class AdjustLeaveTest : public ParkAirportSession
{
  protected:
    void SetUp() override
    {
        ParkAirportSession::SetUp();
        g_airports = {
            Airport{IcaoCode("EDDF"), IataCode("FRA"), kLeaveAirportLat, kLeaveAirportLon, 0.0f, 1}};
        CUSTOM_PARKING_PERCENTAGE.current.store(-1);
        MAX_PARK_SEL.current.store(500);
    }

    static Stand& standNamed(std::string_view name)
    {
        const auto it = std::ranges::find(g_stands, name, &Stand::name);
        EXPECT_NE(it, g_stands.end()) << name;
        return *it;
    }

    static const StaticAc* staticOn(std::string_view stand)
    {
        const std::int32_t id = standNamed(stand).numericId;
        const auto it = std::ranges::find_if(g_staticAircraft, [&](const StaticAc& a)
                                             { return a.standId == static_cast<std::uint32_t>(id); });
        return it == g_staticAircraft.end() ? nullptr : &*it;
    }

    // The static aircraft created since then (their callsigns end in "*").
    std::vector<std::string> createdTails(std::int64_t fromMs) const
    {
        std::vector<std::string> out;
        for (const sim::CallRecord& c : calls("SimConnect_AICreateNonATCAircraft"))
        {
            std::string tail = c.args.at("tail").get<std::string>();
            if (c.atMs >= fromMs && tail.ends_with('*'))
            {
                out.push_back(std::move(tail));
            }
        }
        return out;
    }

    std::vector<std::uint32_t> removedObjects(std::int64_t fromMs) const
    {
        std::vector<std::uint32_t> out;
        for (const sim::CallRecord& c : calls("SimConnect_AIRemoveObject"))
        {
            if (c.atMs >= fromMs)
            {
                out.push_back(c.args.at("object_id").get<std::uint32_t>());
            }
        }
        return out;
    }
};

TEST_F(AdjustLeaveTest, TheParkingIsAdjustedAfterTwentyMinutesAndClearedWhenTheUserFliesAway)
{
    sim::Scenario user = airborneUser(kLeaveAirportLat, kLeaveAirportLon, 0.0);
    user.user.pose.onGround = true;
    start(std::move(user), taxiingAtTheAirport());
    writeLeaveAirportFile();
    runFor(70s);

    // Filled: the reported aircraft on B5 and the three learned ones.
    ASSERT_EQ(g_parkAirport.icao.text(), "EDDF");
    std::vector<std::string> filled = createdTails(0);
    std::ranges::sort(filled);
    ASSERT_EQ(filled, (std::vector<std::string>{"AFR31*", "BAW21*", "DLH11*", "DLH77*"}));
    const StaticAc* b1 = staticOn("B1");
    ASSERT_NE(b1, nullptr);
    const std::uint32_t b1Object = b1->objectId;
    const std::uint32_t b5Object = staticOn("B5")->objectId;
    ASSERT_EQ(g_parkingBusy.load(), 0);

    // What changes meanwhile: B1's aircraft is no longer seen there, and
    // B4 has learned one for this hour.
    standNamed("B1").options.front().hours = 0;
    StandOption learned = standNamed("B3").options.front();
    learned.registration = "F-HBNB";
    learned.callsign = "AFR41";
    standNamed("B4").options.push_back(learned);

    const int parkedBefore = parkedReplies();
    std::int64_t armedAtMs = -1;
    std::int64_t adjustedAtMs = -1;
    int repliesWhileAsked = 0;
    int liveAtArming = 0;
    const std::int64_t adjustFrom = nowMs();
    runFor(21min,
           [&](std::int64_t ms)
           {
               if (armedAtMs < 0 && g_trafficReader.collecting.load())
               {
                   armedAtMs = ms;
                   liveAtArming = liveReplies();
               }
               if (armedAtMs >= 0 && adjustedAtMs < 0)
               {
                   if (!logWith("Parking adjustments:").empty())
                   {
                       adjustedAtMs = ms;
                       repliesWhileAsked = liveReplies() - liveAtArming;
                   }
               }
           });

    // Armed by the renewal countdown after 20 minutes, adjusted on the next
    // 15-second step; the live requests went on meanwhile.
    ASSERT_GE(armedAtMs, 0);
    ASSERT_GE(adjustedAtMs, 0);
    EXPECT_GE(armedAtMs - adjustFrom, 19 * 60'000);
    EXPECT_NEAR(static_cast<double>(adjustedAtMs - armedAtMs), 15'000.0, 1'000.0);
    EXPECT_GT(repliesWhileAsked, 3);
    EXPECT_EQ(parkedReplies() - parkedBefore, 1);
    EXPECT_EQ(logWith("Parking adjustments: 1 to be removed, 1 to be added").size(), 1u);
    EXPECT_EQ(logWith("0 new parking positions from PT").size(), 1u);
    EXPECT_EQ(removedObjects(adjustFrom), std::vector<std::uint32_t>{b1Object});
    EXPECT_EQ(createdTails(adjustFrom), std::vector<std::string>{"AFR41*"});
    EXPECT_EQ(staticOn("B1"), nullptr);
    ASSERT_NE(staticOn("B4"), nullptr);
    EXPECT_EQ(staticOn("B4")->simState, kSimStateActive);
    EXPECT_EQ(staticOn("B5")->objectId, b5Object) << "the reported aircraft stays";

    // Away beyond AIRP_RANGE: everything of the airport goes.
    std::vector<std::uint32_t> objects;
    for (const StaticAc& ac : g_staticAircraft)
    {
        objects.push_back(ac.objectId);
    }
    for (const LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState == kSimStateActive && ac.situation != kSituationFlying)
        {
            objects.push_back(ac.objectId);
        }
    }
    ASSERT_EQ(objects.size(), 5u) << "four statics and the taxiing aircraft";
    flyAway(kLeaveAirportLat, kLeaveAirportLon);
    const std::int64_t leaveFrom = nowMs();
    runFor(100s);

    EXPECT_EQ(logWith("EDDF is out of sight").size(), 1u);
    std::vector<std::uint32_t> removed = removedObjects(leaveFrom);
    std::ranges::sort(removed);
    std::ranges::sort(objects);
    EXPECT_EQ(removed, objects);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_TRUE(g_stands.empty());
    EXPECT_EQ(logWith("saved with").size(), 1u);
    EXPECT_TRUE(fs::exists(g_learnedThirdpartyPath / "Test" / "EDDF.xml"));
}

} // namespace
} // namespace ovr::test
