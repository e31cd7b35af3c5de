// Which aircraft the static-parking calculation chooses: the parked-traffic
// records it takes or skips, the fit passes that fill up to the park limit,
// and the settings that turn either source off. The stands are set up by
// hand; the session brings the model database and the livery tables.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airports/half_hours.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "service/traffic_reader.h"
#include "traffic/live_aircraft.h"
#include "traffic/park_airports.h"
#include "traffic/static_parking.h"
#include "virtual_session.h"

namespace ovr::test
{
namespace
{

const std::uint64_t kMonday10 = gf_packWeekdayHour(1, 20);

class StaticChoiceTest : public VirtualSession
{
  protected:
    void SetUp() override
    {
        VirtualSession::SetUp();
        start(airborneUser(), trackScenario({}));
        gf_clearStands();
        // Six stands 143 m apart on one row: no two are neighbours.
        for (std::int32_t i = 1; i <= 6; ++i)
        {
            Stand s;
            s.name = "P" + std::to_string(i);
            s.numericId = i;
            s.latitude = 50.0;
            s.longitude = 8.0 + 0.002 * i;
            s.radius = 25.0 * kNmPerMetre;
            g_stands.push_back(s);
        }
        g_weekdayHour.store(kMonday10);
        MAX_PARK_SEL.current.store(500);
        CUSTOM_PARKING_PERCENTAGE.current.store(100);
        MAX_FIT.current.store(47);
        WEEK.current.store(false);
        PARK_SOFT.current.store(false);
        RT_PARKTRAFFIC_ONLY.current.store(false);
        g_callsignsInUse.clear();
        g_liveIdsInUse.clear();
    }
    void TearDown() override
    {
        g_parkCandidates.clear();
        g_staticAircraft.clear();
        g_liveAircraft.clear();
        g_trafficReader.parkedRecords.clear();
        g_callsignsInUse.clear();
        g_liveIdsInUse.clear();
        gf_clearStands();
        MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
        CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
        MAX_FIT.current.store(MAX_FIT.defaultValue);
        RT_PARKTRAFFIC_ONLY.current.store(false);
        VirtualSession::TearDown();
    }
    // A learned option of this hour on the stand, or `ago` half hours before.
    static void addOption(std::int32_t standId, const char* callsign, std::int32_t ago = 0)
    {
        StandOption o;
        o.key = FlightKey{gf_airlineId("DLH"), 0, gf_modelId("A320"), 0, 0};
        o.callsign = callsign;
        o.registration = std::string("D-") + callsign;
        o.day = 1;
        o.hours = gf_slotBit(static_cast<std::uint32_t>(20 - ago));
        Stand& stand = g_stands[static_cast<std::size_t>(standId - 1)];
        o.id = static_cast<std::uint32_t>(stand.options.size() + 1);
        stand.options.push_back(o);
    }
    // A parked-traffic record reported on the stand.
    static ParkedTrafficRecord record(std::int32_t standId, std::string callsign, std::uint32_t hex = 0x3c0001)
    {
        const Stand& stand = g_stands[static_cast<std::size_t>(standId - 1)];
        ParkedTrafficRecord r;
        r.key = FlightKey{gf_airlineId("DLH"), 0, gf_modelId("A320"), 0, 0};
        r.callsign = std::move(callsign);
        r.registration = "D-AIZB";
        r.hexId = hex;
        r.latitude = stand.latitude;
        r.longitude = stand.longitude;
        r.standName = stand.name;
        r.slot = 3; // seen 90 minutes ago
        return r;
    }
};

struct PickCase
{
    const char* name;
    std::function<void(ParkedTrafficRecord&)> setUp;
    bool taken;
    const char* logLine = nullptr;
};

TEST_F(StaticChoiceTest, AParkedRecordBecomesACandidateUnlessItFliesOrHasNoFreeStand)
{
    const std::vector<PickCase> cases{
        {"taken", [](ParkedTrafficRecord&) {}, true},
        {"no callsign", [](ParkedTrafficRecord& r) { r.callsign.clear(); }, false},
        {"its transponder flies live", [](ParkedTrafficRecord& r) { g_liveIdsInUse.insert(r.hexId); }, false},
        {"its callsign flies live", [](ParkedTrafficRecord& r) { g_callsignsInUse.insert(r.callsign); }, false},
        {"its ghost callsign flies live", [](ParkedTrafficRecord& r) { g_callsignsInUse.insert(r.callsign + "_"); },
         false},
        {"a live aircraft of the same registration",
         [](ParkedTrafficRecord& r)
         {
             LiveAc live;
             live.aiKey = 0x400001;
             live.callsign = "OTHER1";
             live.registration = r.registration;
             g_liveAircraft.push_back(live);
         },
         false},
        {"no stand within 110 m", [](ParkedTrafficRecord& r) { r.latitude += 0.01; }, false,
         "[P2        :   3c0001 DLH4AB   D-AIZB      , hh:3 ===> no stand for PT 50.010000,8.004000"},
        {"the reserved stand", [](ParkedTrafficRecord&) { g_stands[1].reserved = 1; }, false},
    };
    for (const PickCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        ParkedTrafficRecord r = record(2, "DLH4AB");
        c.setUp(r);
        g_trafficReader.parkedRecords = {r};
        lf_pickParkedTraffic();
        ASSERT_EQ(g_parkCandidates.size(), c.taken ? 1u : 0u);
        if (c.taken)
        {
            const ParkCandidate& p = g_parkCandidates.front();
            EXPECT_EQ(p.standId, 2);
            EXPECT_EQ(p.identity, 0x3c0001u);
            EXPECT_EQ(p.origin, 0u);
            EXPECT_EQ(p.age, 3u);
            EXPECT_EQ(p.callsign, "DLH4AB");
            EXPECT_EQ(p.stays, 1);
            EXPECT_EQ(g_stands[1].staticTaken, 1);
        }
        if (c.logLine)
        {
            EXPECT_EQ(logWith(c.logLine).size(), 1u) << c.logLine;
        }
    }
}

TEST_F(StaticChoiceTest, ParkedRecordsStopAtTheParkLimit)
{
    CUSTOM_PARKING_PERCENTAGE.current.store(50); // 3 of 6 stands
    g_trafficReader.parkedRecords = {record(1, "DLH1", 1), record(2, "DLH2", 2), record(3, "DLH3", 3),
                                     record(4, "DLH4", 4), record(5, "DLH5", 5)};
    lf_pickParkedTraffic();
    EXPECT_EQ(g_parkCandidates.size(), 3u);
}

struct FitCase
{
    const char* name;
    std::int32_t wanted;
    std::int32_t already;
    std::size_t candidatesBefore;
    std::size_t expected;
};

TEST_F(StaticChoiceTest, AFitPassFillsExactlyWhatIsStillWanted)
{
    // The last step of a pass finds all six stands; the pass keeps only what
    // is still wanted beside the aircraft already there.
    const std::vector<FitCase> cases{
        {"nothing there yet", 4, 0, 0, 4},
        {"two parked live aircraft", 4, 2, 0, 2},
        {"one candidate from parked traffic", 4, 0, 1, 4},
        {"all wanted already there", 2, 2, 0, 0},
        {"more wanted than stands", 9, 0, 0, 6},
    };
    for (const FitCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (std::int32_t id = 1; id <= 6; ++id)
        {
            addOption(id, ("DLH" + std::to_string(id)).c_str());
        }
        for (std::size_t i = 0; i < c.candidatesBefore; ++i)
        {
            ParkCandidate taken;
            taken.standId = 6;
            g_parkCandidates.push_back(taken);
            g_stands[5].staticTaken = 1;
        }
        lf_fitPasses(kMonday10, c.wanted, c.already);
        EXPECT_EQ(g_parkCandidates.size(), c.expected);
    }
}

TEST_F(StaticChoiceTest, TheFitWindowWidensOnlyUpToMaxFit)
{
    addOption(1, "DLH1", 0);
    addOption(2, "DLH2", 1);
    addOption(3, "DLH3", 4);
    MAX_FIT.current.store(0);
    lf_fitPasses(kMonday10, 6, 0);
    EXPECT_EQ(g_parkCandidates.size(), 1u);

    TearDown();
    SetUp();
    addOption(1, "DLH1", 0);
    addOption(2, "DLH2", 1);
    addOption(3, "DLH3", 4);
    MAX_FIT.current.store(4);
    lf_fitPasses(kMonday10, 6, 0);
    ASSERT_EQ(g_parkCandidates.size(), 3u);
    for (const ParkCandidate& c : g_parkCandidates)
    {
        // The age is the step at which the option was found.
        EXPECT_EQ(c.age, c.standId == 1 ? 0u : c.standId == 2 ? 1u : 4u) << c.standId;
    }
    EXPECT_EQ(g_fitPassNumber, 4);
}

TEST_F(StaticChoiceTest, WithParkedTrafficOnlyTheLearnedOptionsAreNeverSearched)
{
    RT_PARKTRAFFIC_ONLY.current.store(true);
    CUSTOM_PARKING_PERCENTAGE.current.store(20); // 1 of 6, not applied
    for (std::int32_t id = 1; id <= 6; ++id)
    {
        addOption(id, ("DLH" + std::to_string(id)).c_str());
    }
    // The calculation's request, answered (the records are put in by hand).
    ASSERT_TRUE(gf_armCalcParkedTraffic());
    std::uint64_t sequence = 0;
    g_trafficReader.parkedRequestBody(sequence);
    g_trafficReader.takeParkedReply(R"({"status":200,"rrl":2000,"data":{}})", sequence);
    ASSERT_TRUE(gf_calcParkedTrafficReady());
    g_trafficReader.parkedRecords = {record(1, "BAW1", 1), record(2, "BAW2", 2)};
    g_trafficReader.parkedRecords[1].slot = 9;
    gf_calcStaticParked();
    EXPECT_EQ(logWith("2 positions from RT parktraffic only").size(), 1u);
    ASSERT_EQ(g_parkCandidates.size(), 2u);
    // The youngest is placed first, from the back.
    EXPECT_EQ(g_parkCandidates.back().callsign, "BAW1");
}

TEST_F(StaticChoiceTest, MaxParkZeroAsksForNoParkedTrafficAndPlacesNothing)
{
    MAX_PARK_SEL.current.store(0);
    addOption(1, "DLH1");
    EXPECT_FALSE(gf_armCalcParkedTraffic());
    EXPECT_FALSE(g_trafficReader.parkedRequest.load());
    EXPECT_TRUE(gf_calcParkedTrafficReady());
    gf_calcStaticParked();
    EXPECT_TRUE(g_parkCandidates.empty());
    EXPECT_EQ(logWith("no parking positions found").size(), 1u);
    EXPECT_EQ(g_parkingBusy.load(), 0);
}

} // namespace
} // namespace ovr::test
