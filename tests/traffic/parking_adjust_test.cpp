// The 20-minute renewal of the static parked aircraft, step by step on a
// small airport: which statics stay, which go, and how the whole is brought
// down to the park limit.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../app/app_fixture.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/loop_clock.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "core/time.h"
#include "service/traffic_reader.h"
#include "simlink/sim_queues.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/parking_adjust.h"
#include "traffic/parking_adjust_detail.h"

namespace ovr::test
{
namespace
{

constexpr std::uint32_t kMonday = 1;
constexpr std::uint32_t kWednesday = 3;
constexpr std::uint32_t kSunday = 7;

class ParkingAdjustTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        gf_clearTrafficState();
        gf_resetSimQueues();
        g_keptPositions.clear();
        g_staticRemovals.clear();
        gf_clearStands();
        // Four stands in a row, 100 m apart; 1-2 and 2-3 are neighbours.
        for (std::int32_t id = 1; id <= 4; ++id)
        {
            Stand stand;
            stand.name = fmt::format("A{}", id);
            stand.numericId = id;
            stand.latitude = 50.0;
            stand.longitude = 8.0 + 0.0014 * id;
            stand.radius = 0.02;
            if (id < 4)
            {
                stand.adjacent.push_back(id + 1);
            }
            if (id > 1)
            {
                stand.adjacent.push_back(id - 1);
            }
            g_stands.push_back(std::move(stand));
        }
    }

    void TearDown() override
    {
        gf_clearTrafficState();
        gf_resetSimQueues();
        g_keptPositions.clear();
        g_staticRemovals.clear();
        gf_clearStands();
        AppTest::TearDown();
    }

    static StaticAc& addStatic(std::string callsign, std::uint32_t standId, std::uint32_t origin,
                               std::uint64_t parkedSince, std::uint32_t objectId)
    {
        StaticAc ac;
        ac.callsign = std::move(callsign);
        ac.standId = standId;
        ac.origin = origin;
        ac.parkedSince = parkedSince;
        ac.objectId = objectId;
        ac.aiKey = objectId;
        ac.simState = kSimStateActive;
        ac.radius = 0.01;
        g_staticAircraft.push_back(std::move(ac));
        return g_staticAircraft.back();
    }

    static ParkCandidate candidate(std::string callsign, std::int32_t standId, std::uint32_t age)
    {
        ParkCandidate c;
        c.callsign = std::move(callsign);
        c.standId = standId;
        c.age = age;
        c.origin = 1;
        return c;
    }

    static std::vector<std::string> removedCallsigns()
    {
        std::vector<std::string> out;
        for (const StaticAc& ac : g_staticAircraft)
        {
            if (ac.simState == kSimStateRemoving)
            {
                out.push_back(ac.callsign);
            }
        }
        return out;
    }

    static std::vector<std::string> listedCallsigns()
    {
        std::vector<std::string> out;
        for (const StaticRemoval& r : g_staticRemovals)
        {
            out.push_back(r.callsign);
        }
        return out;
    }
};

TEST_F(ParkingAdjustTest, AStaticAgeCountsWholeDaysAndWrapsAtTheWeek)
{
    struct Case
    {
        const char* name;
        std::uint64_t parkedSince;
        std::uint64_t now;
        std::uint32_t age;
    };
    const Case cases[] = {
        {"same half hour", gf_packWeekdayHour(kMonday, 10), gf_packWeekdayHour(kMonday, 10), 0},
        {"earlier that day", gf_packWeekdayHour(kMonday, 10), gf_packWeekdayHour(kMonday, 20), 10},
        {"kept longer than a day", gf_packWeekdayHour(kMonday, 10), gf_packWeekdayHour(kWednesday, 20), 106},
        {"a later slot of the day before", gf_packWeekdayHour(kMonday, 40), gf_packWeekdayHour(2, 2), 10},
        {"across the week's end", gf_packWeekdayHour(kSunday, 47), gf_packWeekdayHour(kMonday, 1), 2},
        {"not placed yet", 0, gf_packWeekdayHour(kMonday, 1), 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        StaticAc ac;
        ac.parkedSince = c.parkedSince;
        EXPECT_EQ(gf_staticAge(ac, c.now), c.age);
        EXPECT_EQ(detail::keptPosition(ac, c.now).age, c.age);
    }
}

TEST_F(ParkingAdjustTest, AStaticKeptLongerThanADayYieldsToAReportedAircraftThatCameLater)
{
    const std::uint64_t now = gf_packWeekdayHour(kWednesday, 20);
    // Arrived Monday: 106 half hours ago, older than both candidates.
    addStatic("OLD1*", 1, 1, gf_packWeekdayHour(kMonday, 10), 101);
    // Arrived an hour ago.
    addStatic("NEW2*", 2, 1, gf_packWeekdayHour(kWednesday, 18), 102);
    g_parkCandidates = {candidate("RPT1", 1, 60), candidate("RPT2", 2, 60)};

    detail::checkKeptStatics(now);

    EXPECT_EQ(listedCallsigns(), std::vector<std::string>{"OLD1*"});
    // The candidate for stand 1 stays; the one for stand 2 came before the
    // static and is dropped.
    ASSERT_EQ(g_parkCandidates.size(), 1u);
    EXPECT_EQ(g_parkCandidates.front().callsign, "RPT1");
}

TEST_F(ParkingAdjustTest, KeptPositionsEndingBeforeTheNextHalfHourArePlacedAnew)
{
    struct Case
    {
        const char* name;
        std::uint64_t now;
        std::vector<StandOption> options;
        bool replaced;
    };
    auto option = [](std::uint32_t day, HalfHourSet hours)
    {
        StandOption o;
        o.callsign = "DLH1";
        o.day = day;
        o.hours = hours;
        o.id = 1;
        return o;
    };
    const Case cases[] = {
        {"the option holds the next half hour", gf_packWeekdayHour(kMonday, 20), {option(kMonday, gf_slotRange(18, 22))},
         false},
        {"the option ends now", gf_packWeekdayHour(kMonday, 20), {option(kMonday, gf_slotRange(18, 20))}, true},
        {"no option of that aircraft", gf_packWeekdayHour(kMonday, 20), {}, false},
        {"midnight, the next day goes on", gf_packWeekdayHour(kSunday, 47),
         {option(kSunday, gf_slotRange(40, 47)), option(kMonday, gf_slotRange(0, 3))}, false},
        {"midnight, the next day does not hold it", gf_packWeekdayHour(kSunday, 47),
         {option(kSunday, gf_slotRange(40, 47)), option(kMonday, gf_slotRange(2, 3))}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_staticAircraft.clear();
        g_parkCandidates.clear();
        g_keptPositions.clear();
        g_staticRemovals.clear();
        g_stands[0].options = c.options;
        StaticAc& ac = addStatic("DLH1*", 1, 1, gf_packWeekdayHour(gf_weekdayOf(c.now), gf_slotOf(c.now)), 101);
        ac.secondCallsign = "DLH1";
        // The stand's option fits whenever one exists; without one the
        // aircraft would go for that reason instead.
        if (c.options.empty())
        {
            g_parkCandidates.push_back(candidate("DLH1", 1, 0));
        }
        detail::compareKept(c.now);
        detail::replaceEnding();
        if (c.replaced)
        {
            EXPECT_TRUE(g_keptPositions.empty());
            EXPECT_EQ(listedCallsigns(), std::vector<std::string>{"DLH1*"});
            ASSERT_EQ(g_parkCandidates.size(), 1u);
            EXPECT_EQ(g_parkCandidates.front().callsign, "DLH1");
            EXPECT_EQ(g_parkCandidates.front().standId, 1);
            EXPECT_EQ(g_parkCandidates.front().origin, 1u);
            EXPECT_EQ(g_parkCandidates.front().stays, 0u);
        }
        else
        {
            ASSERT_EQ(g_keptPositions.size(), 1u);
            EXPECT_TRUE(g_staticRemovals.empty());
        }
    }
}

TEST_F(ParkingAdjustTest, TheTrimmingPopsWhatItActsOnAndEndsWhenAllListsAreEmpty)
{
    struct Case
    {
        const char* name;
        std::size_t kept;
        std::size_t live;
        std::size_t candidates;
        std::int64_t limit;
        std::size_t keptLeft;
        std::size_t liveLeft;
        std::size_t candidatesLeft;
        std::size_t liveRemoved;
    };
    const Case cases[] = {
        {"within the limit", 1, 1, 1, 3, 1, 1, 1, 0},
        {"candidates go first", 2, 1, 3, 4, 2, 1, 1, 0},
        {"then kept positions, from the back", 3, 1, 1, 2, 1, 1, 0, 0},
        {"then parked live aircraft", 1, 3, 1, 1, 0, 1, 0, 2},
        {"a surplus reaching the live aircraft", 2, 2, 2, 1, 0, 1, 0, 1},
        {"no limit keeps the live aircraft", 2, 2, 2, 0, 0, 2, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        gf_clearTrafficState();
        g_keptPositions.clear();
        g_staticRemovals.clear();
        for (std::size_t i = 0; i < c.kept; ++i)
        {
            ParkPosition p;
            p.callsign = fmt::format("K{}*", i);
            p.standId = static_cast<std::uint32_t>(i + 1);
            g_keptPositions.push_back(p);
        }
        for (std::size_t i = 0; i < c.live; ++i)
        {
            LiveAc live;
            live.callsign = fmt::format("L{}", i);
            live.aiKey = static_cast<std::uint32_t>(20000 + i);
            live.objectId = static_cast<std::uint32_t>(200 + i);
            live.standId = static_cast<std::uint32_t>(10 + i);
            live.simState = kSimStateActive;
            live.situation = kSituationParked;
            g_liveAircraft.push_back(live);
            g_parkedLive.push_back(ParkedLive{live.callsign, 0, live.standId, 0});
        }
        for (std::size_t i = 0; i < c.candidates; ++i)
        {
            g_parkCandidates.push_back(candidate(fmt::format("C{}", i), 20, 0));
        }

        detail::trimSurplus(c.limit);

        EXPECT_EQ(g_keptPositions.size(), c.keptLeft);
        EXPECT_EQ(g_parkedLive.size(), c.liveLeft);
        EXPECT_EQ(g_parkCandidates.size(), c.candidatesLeft);
        EXPECT_EQ(g_staticRemovals.size(), c.kept - c.keptLeft);
        const auto removing = static_cast<std::size_t>(std::ranges::count(
            g_liveAircraft, kSimStateRemoving, &LiveAc::simState));
        EXPECT_EQ(removing, c.liveRemoved);
        // The first entries stay: the trimming takes from the back.
        if (c.keptLeft > 0)
        {
            EXPECT_EQ(g_keptPositions.front().callsign, "K0*");
        }
        if (c.liveRemoved > 0)
        {
            EXPECT_EQ(g_liveAircraft.front().simState, c.live - c.liveRemoved > 0 ? kSimStateActive : kSimStateRemoving);
        }
    }
}

TEST_F(ParkingAdjustTest, TheListedStaticsAreRemovedOnceAndTheListEmptied)
{
    addStatic("AAA1*", 1, 1, gf_packWeekdayHour(kMonday, 1), 101);
    addStatic("BBB2*", 2, 0, gf_packWeekdayHour(kMonday, 1), 102);
    StaticAc& adding = addStatic("CCC3*", 3, 1, gf_packWeekdayHour(kMonday, 1), 103);
    adding.simState = kSimStateAdding;
    addStatic("DDD4*", 4, 1, gf_packWeekdayHour(kMonday, 1), 104);
    for (const StaticAc& ac : g_staticAircraft)
    {
        if (ac.callsign != "DDD4*")
        {
            gf_listForRemoval(ac);
            gf_listForRemoval(ac); // listed once
        }
    }
    // Another aircraft's callsign on a listed stand is not it.
    g_staticRemovals.push_back(StaticRemoval{"XXX9*", 4});
    EXPECT_EQ(g_staticRemovals.size(), 4u);

    lf_removeListedStatics();

    EXPECT_TRUE(g_staticRemovals.empty());
    EXPECT_EQ(removedCallsigns(), (std::vector<std::string>{"AAA1*", "BBB2*"}));
    // One still being created goes as soon as its object exists.
    EXPECT_EQ(g_staticAircraft[2].simState, kSimStateAdding);
    EXPECT_EQ(g_staticAircraft[2].removeWhenCreated, 1);
    EXPECT_EQ(g_staticAircraft[3].simState, kSimStateActive);
    EXPECT_EQ(g_staticAircraft[3].removeWhenCreated, 0);
}

TEST_F(ParkingAdjustTest, AStaticWhoseNameFliesLiveGoesAndOneWhoseOptionNoLongerFitsGoes)
{
    const std::uint64_t now = gf_packWeekdayHour(kMonday, 20);
    StandOption fits;
    fits.registration = "D-AAAA";
    fits.callsign = "DLH1";
    fits.day = kMonday;
    fits.hours = gf_slotRange(15, 25);
    fits.id = 1;
    g_stands[0].options = {fits};
    StaticAc& fitting = addStatic("DLH1*", 1, 1, gf_packWeekdayHour(kMonday, 15), 101);
    fitting.registration = "D-AAAA";
    StaticAc& flying = addStatic("BAW2*", 2, 1, gf_packWeekdayHour(kMonday, 15), 102);
    flying.secondCallsign = "BAW2";
    g_stands[1].options = {fits};
    g_stands[1].options[0].registration = "G-BBBB";
    flying.registration = "G-BBBB";
    addStatic("AFR3*", 3, 1, gf_packWeekdayHour(kMonday, 15), 103); // no option of it on stand 3
    g_callsignsInUse = {"BAW2"};

    detail::compareKept(now);

    EXPECT_EQ(listedCallsigns(), (std::vector<std::string>{"BAW2*", "AFR3*"}));
    ASSERT_EQ(g_keptPositions.size(), 1u);
    EXPECT_EQ(g_keptPositions.front().callsign, "DLH1*");
    EXPECT_EQ(g_keptPositions.front().age, 5u);
    g_callsignsInUse.clear();
}

TEST_F(ParkingAdjustTest, ACandidateOnTheStandWeighsAgainstTheStaticByArrival)
{
    const std::uint64_t now = gf_packWeekdayHour(kMonday, 20);
    addStatic("EARLY*", 1, 1, gf_packWeekdayHour(kMonday, 10), 101); // 10 half hours
    addStatic("LATE*", 2, 1, gf_packWeekdayHour(kMonday, 18), 102);  // 2 half hours
    g_parkCandidates = {candidate("NEW1", 1, 4), candidate("NEW2", 2, 4)};

    detail::compareKept(now);

    // The aircraft that came last is the one standing there now. Stand 1:
    // the candidate came after the static, which goes. Stand 2: the static
    // came after the candidate and stays.
    EXPECT_EQ(listedCallsigns(), std::vector<std::string>{"EARLY*"});
    ASSERT_EQ(g_parkCandidates.size(), 1u);
    EXPECT_EQ(g_parkCandidates.front().callsign, "NEW1");
    ASSERT_EQ(g_keptPositions.size(), 1u);
    EXPECT_EQ(g_keptPositions.front().callsign, "LATE*");
}

TEST_F(ParkingAdjustTest, AnAdjustmentShowsItsCountsAndRemovesWhatGoes)
{
    MAX_PARK_SEL.current.store(1);
    CUSTOM_PARKING_PERCENTAGE.current.store(50);
    g_weekdayHour.store(gf_packWeekdayHour(kMonday, 20));
    // Two statics on four stands at 50 % but a limit of one: the one that
    // has stood longer goes.
    StandOption a;
    a.callsign = "DLH1";
    a.day = kMonday;
    a.hours = gf_slotRange(0, 47);
    a.id = 1;
    g_stands[0].options = {a};
    g_stands[2].options = {a};
    g_stands[2].options[0].callsign = "DLH3";
    addStatic("DLH1*", 1, 1, gf_packWeekdayHour(kMonday, 10), 101);
    addStatic("DLH3*", 3, 1, gf_packWeekdayHour(kMonday, 12), 103);

    gf_adjustParking(false);

    EXPECT_TRUE(logHas("Parking adjustments: 1 to be removed, 0 to be added"));
    EXPECT_EQ(removedCallsigns(), std::vector<std::string>{"DLH1*"});
    EXPECT_TRUE(g_staticRemovals.empty());
    CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
    MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
}

TEST_F(ParkingAdjustTest, MoreParkedLiveAircraftThanWantedLoseTheLongestParked)
{
    MAX_PARK_SEL.current.store(1);
    CUSTOM_PARKING_PERCENTAGE.current.store(100);
    g_weekdayHour.store(gf_packWeekdayHour(kMonday, 20));
    const std::int64_t now = gf_loopClock().now().time_since_epoch().count();
    const std::int64_t minute = 60'000'000'000;
    for (const std::int64_t minutes : {30, 10, 20})
    {
        LiveAc live;
        live.callsign = fmt::format("P{}", minutes);
        live.aiKey = static_cast<std::uint32_t>(20000 + minutes);
        live.objectId = static_cast<std::uint32_t>(200 + minutes);
        live.standId = static_cast<std::uint32_t>(minutes / 10);
        live.simState = kSimStateActive;
        live.situation = kSituationParked;
        live.parkedTime = now - minutes * minute;
        g_liveAircraft.push_back(live);
    }

    gf_adjustParking(false);

    EXPECT_TRUE(logHas("Parking adjustments: 2 more live ac than wanted"));
    std::vector<std::string> removed;
    for (const LiveAc& live : g_liveAircraft)
    {
        if (live.simState == kSimStateRemoving)
        {
            removed.push_back(live.callsign);
        }
    }
    std::ranges::sort(removed);
    EXPECT_EQ(removed, (std::vector<std::string>{"P20", "P30"}));
    ASSERT_EQ(g_parkedLive.size(), 1u);
    EXPECT_EQ(g_parkedLive.front().callsign, "P10");
    EXPECT_EQ(g_stands[0].staticTaken, 1) << "the remaining live aircraft's stand counts as taken";
    CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
    MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
}

// The parked traffic answered or refused: a static from an earlier report
// stays when the report still has it on its stand and goes when it does
// not; a refusal (403) is logged and tells nothing, so it stays.
TEST_F(ParkingAdjustTest, TheParkedReportDecidesAboutStaticsFromAnEarlierOne)
{
    struct Case
    {
        const char* name;
        std::int32_t status; // 0: answered with the records below
        std::vector<ParkedTrafficRecord> records;
        bool stays;
        const char* logged;
    };
    ParkedTrafficRecord same;
    same.hexId = 0x3c4b26;
    same.callsign = "DLH77";
    same.registration = "D-AIZB";
    same.latitude = 50.0;
    same.longitude = 8.0 + 0.0014 * 2;
    same.standName = "A2";
    same.slot = gf_halfHourSlot();
    same.key.airline = gf_airlineId("DLH");
    same.key.model = gf_modelId("A320");
    const Case cases[] = {
        {"reported again", 0, {same}, true, "0 new parking positions from PT"},
        {"no longer reported", 0, {}, false, "0 new parking positions from PT"},
        {"refused", 403, {}, true, "RT API: no parked traffic for this kind of account"},
    };
    MAX_PARK_SEL.current.store(4);
    CUSTOM_PARKING_PERCENTAGE.current.store(100);
    g_weekdayHour.store(gf_packWeekdayHour(kMonday, 20));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_staticAircraft.clear();
        g_trafficReader.parkedRefused.store(false);
        StaticAc& reported = addStatic("DLH77*", 2, 0, gf_packWeekdayHour(kMonday, 18), 102);
        reported.identity = same.hexId;
        reported.registration = same.registration;

        gf_armAdjustParkedTraffic();
        std::uint64_t sequence = 0;
        {
            const std::scoped_lock lock(g_trafficReader.parkedMutex);
            sequence = g_trafficReader.parkedSequence;
        }
        ASSERT_NE(sequence, 0u);
        g_trafficReader.parkedRequest.store(false);
        g_trafficReader.parkedBatch = c.records;
        g_trafficReader.publishParked(sequence, c.status);

        gf_adjustParking(false);

        EXPECT_EQ(g_staticAircraft.front().simState, c.stays ? kSimStateActive : kSimStateRemoving);
        const std::vector<std::string> lines = logLines();
        EXPECT_TRUE(std::ranges::any_of(lines, [&](const std::string& l) { return l.find(c.logged) != std::string::npos; }))
            << c.logged;
    }
    g_trafficReader.parkedRefused.store(false);
    CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
    MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
}

} // namespace
} // namespace ovr::test
