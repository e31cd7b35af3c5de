#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "airports/airport_panel_figures.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/static_count.h"
#include "airports/static_parking_search.h"
#include "airports/weekday_hour.h"
#include "airports_test_support.h"
#include "core/code_pool.h"
#include "core/parameters.h"

namespace ovr::test
{
namespace
{

constexpr std::uint64_t kMonday1 = gf_packWeekdayHour(1, 1);

class StaticParkingTest : public ParkAirportTest
{
  protected:
    void SetUp() override
    {
        ParkAirportTest::SetUp();
        m_helicopters = HELICOPTERS.current.load();
    }
    void TearDown() override
    {
        HELICOPTERS.current.store(m_helicopters);
        ParkAirportTest::TearDown();
    }

    // A stand 100 m east of the last one, with the options given.
    Stand& addStand(std::vector<StandOption> options = {})
    {
        const auto id = static_cast<std::int32_t>(g_stands.size() + 1);
        Stand stand = makeTestStand("S" + std::to_string(id), id, 0.0, 100.0 * id, 30.0, 9);
        for (std::size_t i = 0; i < options.size(); ++i)
            options[i].id = static_cast<std::uint32_t>(i + 1);
        stand.options = std::move(options);
        g_stands.push_back(std::move(stand));
        return g_stands[g_stands.size() - 1];
    }
    static StandOption option(std::string_view registration, std::uint32_t day, std::uint32_t slot,
                              std::string_view callsign = "", std::string_view callsign2 = "",
                              std::uint32_t real = 1)
    {
        StandOption o;
        o.key = FlightKey{gf_airlineId("KLM"), 0, gf_modelId("A320"), 0, 0};
        o.registration = std::string(registration);
        o.callsign = std::string(callsign);
        o.callsign2 = std::string(callsign2);
        o.day = day;
        o.hours = gf_slotBit(slot);
        o.real = real;
        return o;
    }
    std::vector<ParkCandidate> search(std::uint64_t now, std::int32_t kind, std::int32_t scope,
                                      std::int32_t offset)
    {
        std::vector<ParkCandidate> out;
        lf_searchStands(now, kind, scope, offset, out, 9);
        return out;
    }
    static std::vector<std::string> registrations(const std::vector<ParkCandidate>& candidates)
    {
        std::vector<std::string> result;
        for (const ParkCandidate& c : candidates)
            result.push_back(c.registration);
        return result;
    }
    static StaticAc staticOn(std::int32_t standId, std::string_view callsign, std::uint32_t origin,
                             std::uint32_t state = kSimStateActive)
    {
        StaticAc ac;
        ac.standId = static_cast<std::uint32_t>(standId);
        ac.callsign = std::string(callsign);
        ac.origin = origin;
        ac.simState = state;
        ac.key = FlightKey{gf_airlineId("KLM"), 0, gf_modelId("A320"), 0, 0};
        return ac;
    }

  private:
    bool m_helicopters = true;
};

TEST_F(StaticParkingTest, TheOffsetReachesBackIntoTheDayBefore)
{
    addStand({option("PH-AAA", 7, 46)});
    addStand({option("PH-BBB", 1, 46)});
    const auto found = search(kMonday1, kSearchReal, kScopeDay, 3);
    EXPECT_EQ(registrations(found), std::vector<std::string>{"PH-AAA"});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].origin, 1u);
    EXPECT_EQ(found[0].standId, 1);
    EXPECT_EQ(found[0].age, 9u);
    EXPECT_EQ(g_stands[0].staticTaken, 1);
}

TEST_F(StaticParkingTest, WeekScopeTakesAnyDayAndKindPicksRealOrSoft)
{
    addStand({option("PH-AAA", 3, 1)});
    addStand({option("PH-BBB", 5, 1, "", "", 0)});
    EXPECT_EQ(registrations(search(kMonday1, kSearchReal, kScopeWeek, 0)),
              std::vector<std::string>{"PH-AAA"});
    EXPECT_EQ(registrations(search(kMonday1, kSearchSoft, kScopeWeek, 0)),
              std::vector<std::string>{"PH-BBB"});
}

TEST_F(StaticParkingTest, ATakenStandBlocksItsNeighboursInTheSameSearch)
{
    addStand({option("PH-AAA", 1, 1)}).adjacent = {2};
    addStand({option("PH-BBB", 1, 1)}).adjacent = {1};
    addStand({option("PH-CCC", 1, 1)});
    EXPECT_EQ(registrations(search(kMonday1, kSearchReal, kScopeDay, 0)),
              (std::vector<std::string>{"PH-AAA", "PH-CCC"}));
    EXPECT_EQ(g_stands[1].adjacentTaken, 1);
    EXPECT_EQ(g_stands[1].staticTaken, 0);
}

TEST_F(StaticParkingTest, ReservedTakenAndHelicopterStandsAreSkipped)
{
    addStand({option("PH-AAA", 1, 1)}).reserved = 1;
    addStand({option("PH-BBB", 1, 1)}).staticTaken = 1;
    addStand({option("PH-CCC", 1, 1)}).heli = 1;
    HELICOPTERS.current.store(false);
    EXPECT_TRUE(search(kMonday1, kSearchReal, kScopeDay, 0).empty());
    HELICOPTERS.current.store(true);
    EXPECT_EQ(registrations(search(kMonday1, kSearchReal, kScopeDay, 0)), std::vector<std::string>{"PH-CCC"});
}

TEST_F(StaticParkingTest, AnAircraftAlreadyThereRetiresItsOption)
{
    addStand({option("PH-AAA", 1, 1, "KLM1")});
    addStand({option("PH-BBB", 1, 1, "KLM2")});
    addStand({option("PH-CCC", 1, 1, "KLM3")});
    addStand({option("PH-DDD", 1, 1, "KLM4")});
    addStand({option("PH-EEE", 1, 1, "KLM5")});
    g_parkCandidates.push_back(ParkCandidate{0, 0, 9, 0, {}, "X", "", "PH-AAA", 1});
    g_callsignsInUse.insert("KLM2_");
    g_staticAircraft.push_back(staticOn(20, "KLM3*", 0));
    g_parkedLive.push_back(ParkedLive{"KLM4", 0, 30, 5});
    EXPECT_EQ(registrations(search(kMonday1, kSearchReal, kScopeDay, 0)), std::vector<std::string>{"PH-EEE"});
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(g_stands[i].options[0].id, 0u) << i;
    EXPECT_EQ(g_stands[0].staticTaken, 0);
}

TEST_F(StaticParkingTest, OneAircraftIsNotChosenForTwoStands)
{
    addStand({option("PH-AAA", 1, 1)});
    addStand({option("PH-AAA", 1, 1)});
    EXPECT_EQ(search(kMonday1, kSearchReal, kScopeDay, 0).size(), 1u);
}

// The searches of one fill share their index: an aircraft chosen by an
// earlier step stays in use after it moved to g_parkCandidates, and one
// dropped from the candidates, or a static aircraft that came, is seen.
TEST_F(StaticParkingTest, TheStepsOfOneFillSeeWhatTheEarlierStepsChose)
{
    addStand({option("PH-AAA", 1, 1)});
    addStand({option("PH-AAA", 1, 0)});
    StandSearch fill;
    std::vector<ParkCandidate> out;
    fill.searchStands(kMonday1, kSearchReal, kScopeDay, 0, out, 0);
    EXPECT_EQ(registrations(out), std::vector<std::string>{"PH-AAA"});
    g_parkCandidates.insert(g_parkCandidates.end(), out.begin(), out.end());
    out.clear();
    fill.searchStands(kMonday1, kSearchReal, kScopeDay, 1, out, 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(g_stands[1].options[0].id, 0u);
}

TEST_F(StaticParkingTest, AFillSeesCandidatesDroppedAndStaticsAddedBetweenSteps)
{
    addStand({option("PH-AAA", 1, 1)});
    addStand({option("PH-AAA", 1, 0)});
    addStand({option("PH-CCC", 1, 0, "KLM3")});
    StandSearch fill;
    std::vector<ParkCandidate> out;
    fill.searchStands(kMonday1, kSearchReal, kScopeDay, 0, out, 0);
    ASSERT_EQ(registrations(out), std::vector<std::string>{"PH-AAA"});
    out.clear();
    g_staticAircraft.push_back(staticOn(20, "KLM3*", 0));
    fill.searchStands(kMonday1, kSearchReal, kScopeDay, 1, out, 1);
    EXPECT_EQ(registrations(out), std::vector<std::string>{"PH-AAA"});
    EXPECT_EQ(g_stands[2].options[0].id, 0u);
}

TEST_F(StaticParkingTest, TheOptionOfTheStaticAircraftOnTheStandIsPreferred)
{
    addStand(
        {option("PH-AAA", 1, 1, "KLM1"), option("PH-BBB", 1, 1, "KLM2"), option("PH-CCC", 1, 1, "KLM3")});
    g_staticAircraft.push_back(staticOn(1, "KLM2*", 1, kSimStateBuffer));
    for (int i = 0; i < 20; ++i)
    {
        g_stands[0].staticTaken = 0;
        EXPECT_EQ(registrations(search(kMonday1, kSearchReal, kScopeDay, 0)),
                  std::vector<std::string>{"PH-BBB"});
    }
}

TEST_F(StaticParkingTest, SeveralOptionsAreDrawnAtRandom)
{
    addStand({option("PH-AAA", 1, 1), option("PH-BBB", 1, 1), option("PH-CCC", 1, 1)});
    std::set<std::string> drawn;
    for (int i = 0; i < 200 && drawn.size() < 3; ++i)
    {
        g_stands[0].staticTaken = 0;
        drawn.insert(search(kMonday1, kSearchReal, kScopeDay, 0).at(0).registration);
    }
    EXPECT_EQ(drawn.size(), 3u);
}

TEST_F(StaticParkingTest, AWideNeighbourKeepsABigAircraftOff)
{
    Stand& stand = addStand({option("PH-AAA", 1, 1)});
    stand.options[0].key.model = gf_modelId("B744"); // 32.2 m half span
    stand.adjacent = {2};
    addStand();
    StaticAc wide = staticOn(2, "DLH1", 0);
    wide.key.model = gf_modelId("B744");
    const LatLon sixtyMetresOn = offsetMetres(0.0, 160.0);
    wide.latitude = sixtyMetresOn.lat;
    wide.longitude = sixtyMetresOn.lon;
    g_staticAircraft.push_back(wide);
    EXPECT_TRUE(search(kMonday1, kSearchReal, kScopeDay, 0).empty()); // 64.4 m of spans, 60 m apart

    g_stands[0].options[0].key.model = gf_modelId("A320"); // 50.1 m of spans
    EXPECT_EQ(search(kMonday1, kSearchReal, kScopeDay, 0).size(), 1u);
}

struct StaysCase
{
    std::uint32_t slot;
    std::string callsign2;
    std::vector<std::uint32_t> hours; // of the chosen option
    bool nextDayHoldsSlot0;
    std::uint8_t stays;
};

class StaysTest : public StaticParkingTest, public ::testing::WithParamInterface<StaysCase>
{
};

TEST_P(StaysTest, TheAircraftStaysWhenItsOptionHoldsTheNextHalfHour)
{
    const StaysCase& c = GetParam();
    StandOption chosen = option("PH-AAA", 3, c.slot, "KLM1", c.callsign2);
    for (std::uint32_t s : c.hours)
        chosen.hours |= gf_slotBit(s);
    std::vector<StandOption> options{chosen};
    if (c.nextDayHoldsSlot0)
        options.push_back(option("PH-ZZZ", 4, 0, "", "", 1));
    addStand(options);
    const auto found = search(gf_packWeekdayHour(3, c.slot), kSearchReal, kScopeDay, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].stays, c.stays);
}

INSTANTIATE_TEST_SUITE_P(NextHalfHour, StaysTest,
                         ::testing::Values(StaysCase{20, "", {}, false, 1},
                                           StaysCase{20, "KLM2", {}, false, 0},
                                           StaysCase{20, "KLM2", {21}, false, 1},
                                           StaysCase{47, "KLM2", {}, true, 1},
                                           StaysCase{47, "KLM2", {}, false, 0}));

class StandOptionFitsTest : public StaticParkingTest
{
  protected:
    void SetUp() override
    {
        StaticParkingTest::SetUp();
        aircraft.registration = "PH-AAA";
        aircraft.key = FlightKey{gf_airlineId("KLM"), 0, gf_modelId("A320"), 0, 0};
    }
    AiAircraftRecord aircraft;
};

TEST_F(StandOptionFitsTest, LooksBackOverTheFitWindow)
{
    addStand({option("PH-AAA", 3, 16)});
    const std::uint64_t now = gf_packWeekdayHour(3, 20);
    g_fitPassNumber = 3;
    EXPECT_FALSE(gf_standOptionFits(now, 1, aircraft));
    g_currentFitStep = 4;
    EXPECT_TRUE(gf_standOptionFits(now, 1, aircraft));
    aircraft.registration = "PH-BBB";
    EXPECT_FALSE(gf_standOptionFits(now, 1, aircraft));
    EXPECT_FALSE(gf_standOptionFits(now, 2, aircraft));
    EXPECT_FALSE(gf_standOptionFits(now, 0, aircraft));
}

TEST_F(StandOptionFitsTest, ReachesIntoYesterdayPastMidnight)
{
    addStand({option("PH-AAA", 2, 45)});
    g_fitPassNumber = 4;
    EXPECT_TRUE(gf_standOptionFits(gf_packWeekdayHour(3, 1), 1, aircraft)); // 46..47 of yesterday
    g_fitPassNumber = 2;
    EXPECT_FALSE(gf_standOptionFits(gf_packWeekdayHour(3, 1), 1, aircraft));
}

class CountStaticAcTest : public StaticParkingTest
{
  protected:
    void park(std::uint32_t state, std::uint32_t day, std::uint32_t slot)
    {
        StaticAc ac = staticOn(1, "X", 1, state);
        ac.parkedSince = gf_packWeekdayHour(day, slot);
        g_staticAircraft.push_back(ac);
    }
};

TEST_F(CountStaticAcTest, CountsStandingAircraftAndTheirMeanParkedTime)
{
    g_weekdayHour.store(gf_packWeekdayHour(2, 10));
    park(kSimStateActive, 2, 6);   // 4 half hours
    park(kSimStateRemoving, 2, 8); // 2 half hours
    park(kSimStateBuffer, 1, 0);   // not in the simulator
    park(kSimStateAdding, 1, 0);
    EXPECT_EQ(gf_countStaticAc(false), 2u);
    EXPECT_FLOAT_EQ(g_staticMeanFitShown.load(), -1.0f);
    EXPECT_EQ(gf_countStaticAc(true), 2u);
    EXPECT_FLOAT_EQ(g_staticMeanFitShown.load(), 2.0f); // 6 / (2 x 2) + 0.5
}

TEST_F(CountStaticAcTest, AnAircraftParkedBeforeTheWeeksEndCounts)
{
    g_weekdayHour.store(gf_packWeekdayHour(1, 0));
    park(kSimStateActive, 7, 47);
    gf_countStaticAc(true);
    EXPECT_FLOAT_EQ(g_staticMeanFitShown.load(), 1.0f); // 1 / 2 + 0.5
}

TEST_F(CountStaticAcTest, TheFitPassesKeepTheShownMean)
{
    g_fitPassesRunning = 1;
    park(kSimStateActive, 1, 0);
    EXPECT_EQ(gf_countStaticAc(true), 1u);
    EXPECT_FLOAT_EQ(g_staticMeanFitShown.load(), -1.0f);
}

} // namespace
} // namespace ovr::test
