#include <gtest/gtest.h>

#include <vector>

#include "airports/airport_panel_figures.h"
#include "airports/apf_updates.h"
#include "airports/stand_learning.h"
#include "airports/stand_options.h"
#include "airports/weekday_hour.h"
#include "airports_test_support.h"
#include "core/code_pool.h"
#include "liveries/registration_lookup.h"

namespace ovr::test
{
namespace
{

constexpr std::uint64_t at(std::uint32_t day, std::uint32_t slot)
{
    return gf_packWeekdayHour(day, slot);
}

HalfHourSet range(std::uint32_t first, std::uint32_t last)
{
    HalfHourSet set = 0;
    for (std::uint32_t s = first; s <= last; ++s)
        set |= gf_slotBit(s);
    return set;
}

using StandOptionsTest = ParkAirportTest;

TEST_F(StandOptionsTest, LearnsOneOptionPerRegistrationDayAndHalfHour)
{
    std::vector<StandOption> options;
    const FlightKey key{gf_airlineId("EZY"), 0, gf_modelId("A320"), 0, 0};
    EXPECT_EQ(gf_learnStandOption(options, key, at(2, 20), "EZY12_", "G-EZAA", false),
              std::make_pair(1u, true));
    EXPECT_EQ(gf_learnStandOption(options, key, at(2, 20), "EZY12", "G-EZAA", false),
              std::make_pair(0u, false));
    EXPECT_EQ(gf_learnStandOption(options, key, at(2, 21), "EZY12", "G-EZAA", true),
              std::make_pair(2u, true));
    EXPECT_EQ(gf_learnStandOption(options, key, at(3, 20), "EZY12", "G-EZAA", false),
              std::make_pair(3u, true));
    EXPECT_EQ(gf_learnStandOption(options, key, at(3, 20), "EZY12", "", false), std::make_pair(0u, false));
    ASSERT_EQ(options.size(), 3u);

    const StandOption& first = options[0];
    EXPECT_EQ(first.callsign, "EZY12");
    EXPECT_EQ(first.registration, "G-EZAA");
    EXPECT_EQ(first.hours, gf_slotBit(20));
    EXPECT_EQ(first.day, 2u);
    EXPECT_EQ(first.fromFile, 0u);
    EXPECT_EQ(first.real, 1u);
    EXPECT_EQ(first.cpl, 0);
    EXPECT_EQ(options[1].cpl, 1);
    EXPECT_EQ(g_apfUpdates, 3u);
    EXPECT_EQ(g_apfUpdatesShown.load(), 3u);
}

TEST_F(StandOptionsTest, LearningTakesTheDatabaseKeyOfTheRegistration)
{
    std::vector<StandOption> options;
    const FlightKey guessed{gf_airlineId("EZY"), 0, gf_modelId("A320"), 0, 0};
    gf_learnStandOption(options, guessed, at(1, 5), "KLM1", "PH-BFA", false);
    EXPECT_EQ(options[0].key, *gf_cachedNameVariants("PH-BFA"));

    // A key that came from the database stays as given.
    FlightKey fromDatabase = guessed;
    fromDatabase.mark = 1;
    gf_learnStandOption(options, fromDatabase, at(1, 6), "KLM1", "PH-BFA", false);
    EXPECT_EQ(options[1].key, fromDatabase);
}

TEST_F(StandOptionsTest, LearningRefusesASlotOutsideTheDay)
{
    std::vector<StandOption> options;
    EXPECT_THROW(gf_learnStandOption(options, FlightKey{}, at(1, 48), "X", "PH-BFA", false),
                 std::out_of_range);
    EXPECT_TRUE(options.empty());
}

struct CallsignCase
{
    std::vector<std::string> seen;
    std::string callsign;
    std::string callsign2;
};

class OptionStringsTest : public ::testing::TestWithParam<CallsignCase>
{
};

TEST_P(OptionStringsTest, KeepsTheFirstAndTheLatestOtherCallsign)
{
    std::vector<StandOption> options(1);
    options[0].id = 1;
    for (const std::string& cs : GetParam().seen)
        lf_updateOptionStrings(options, 1, cs);
    EXPECT_EQ(options[0].callsign, GetParam().callsign);
    EXPECT_EQ(options[0].callsign2, GetParam().callsign2);
}

INSTANTIATE_TEST_SUITE_P(Sightings, OptionStringsTest,
                         ::testing::Values(CallsignCase{{"KLM1_"}, "KLM1", ""},
                                           CallsignCase{{"KLM1__"}, "KLM1_", ""},
                                           CallsignCase{{"KLM1", "KLM1", "KLM1_"}, "KLM1", ""},
                                           CallsignCase{{"KLM1", "KLM2", "KLM3"}, "KLM1", "KLM3"},
                                           CallsignCase{{"KLM1", "KLM2", "KLM1"}, "KLM1", "KLM2"},
                                           CallsignCase{{"", "_"}, "", ""}));

TEST(OptionStringsTest, IgnoresUnknownAndRetiredIds)
{
    std::vector<StandOption> options(2);
    options[0].id = 0;
    options[1].id = 2;
    lf_updateOptionStrings(options, 0, "A");
    lf_updateOptionStrings(options, 7, "B");
    EXPECT_EQ(options[0].callsign, "");
    EXPECT_EQ(options[1].callsign, "");
}

struct WrappedCase
{
    std::vector<std::int32_t> slots;
    HalfHourSet previousDay;
    HalfHourSet today;
    std::vector<std::int32_t> left;
};

class UpdateOptionsWrappedTest : public ScratchTest, public ::testing::WithParamInterface<WrappedCase>
{
};

TEST_P(UpdateOptionsWrappedTest, SpreadsTheSlotsOverBothDays)
{
    std::vector<StandOption> options(2);
    options[0].id = 1;
    options[1].id = 2;
    std::vector<std::int32_t> slots = GetParam().slots;
    EXPECT_TRUE(updateOptionsWrapped(options, slots, 1, 2));
    EXPECT_EQ(options[0].hours, GetParam().previousDay);
    EXPECT_EQ(options[1].hours, GetParam().today);
    EXPECT_EQ(slots, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Midnight, UpdateOptionsWrappedTest,
                         ::testing::Values(WrappedCase{{1, 0, 47, 46}, range(46, 47), gf_slotBit(0), {1}},
                                           WrappedCase{{5, 4, 3}, range(3, 5), 0, {}},
                                           WrappedCase{{2, 1, 0}, 0, range(0, 1), {2}}));

TEST_F(UpdateOptionsWrappedTest, FailsWithoutEitherOption)
{
    std::vector<StandOption> options(1);
    options[0].id = 1;
    std::vector<std::int32_t> slots{1, 0, 47};
    EXPECT_FALSE(updateOptionsWrapped(options, slots, 3, 1));
    EXPECT_EQ(options[0].hours, 0u);
    EXPECT_FALSE(updateOptionsWrapped(options, slots, 1, 3));
    EXPECT_EQ(options[0].hours, gf_slotBit(47));
}

TEST_F(UpdateOptionsWrappedTest, UpdatesRefuseSlotsOutsideTheDay)
{
    std::vector<StandOption> options(1);
    options[0].id = 1;
    std::vector<std::int32_t> slots{48, 3};
    EXPECT_FALSE(updateOptions(options, slots, 1));
    EXPECT_EQ(options[0].hours, gf_slotBit(3));
    EXPECT_TRUE(logHas("==> updateOptions exception:half-hour slot 48 is outside 0..47"));

    std::vector<std::int32_t> wrapped{1, 49, 47};
    EXPECT_FALSE(updateOptionsWrapped(options, wrapped, 1, 1));
    EXPECT_TRUE(logHas("==> updateOptionsWrapped exception:half-hour slot 49 is outside 0..47"));

    std::vector<std::int32_t> unknown{5};
    EXPECT_FALSE(updateOptions(options, unknown, 9));
}

// Extending an option over the half hours that an aircraft kept standing.
class ExtendStandOptionTest : public ParkAirportTest
{
  protected:
    void SetUp() override
    {
        ParkAirportTest::SetUp();
        aircraft.key = FlightKey{gf_airlineId("KLM"), 0, gf_modelId("A320"), 0, 1};
        aircraft.callsign = "KLM55";
        aircraft.category = 2;
        gf_learnStandOption(stand.options, aircraft.key, at(2, 18), "KLM55", "PH-EZA", false);
    }

    Stand stand;
    AiAircraftRecord aircraft;
};

TEST_F(ExtendStandOptionTest, SameDayFillsTheGap)
{
    StandSighting last{2, 18, 1};
    EXPECT_TRUE(gf_extendStandOption(at(2, 20), stand, last, aircraft, "PH-EZA", false));
    EXPECT_EQ(stand.options[0].hours, range(18, 20));
    EXPECT_EQ(last.day, 2u);
    EXPECT_EQ(last.slot, 20u);
    EXPECT_EQ(last.optionId, 1u);
    EXPECT_EQ(stand.options.size(), 1u);
}

struct GapCase
{
    std::uint32_t category;
    std::uint8_t cargo;
    std::uint32_t gap;
    bool extends;
};

class ExtendGapTest : public ExtendStandOptionTest, public ::testing::WithParamInterface<GapCase>
{
};

TEST_P(ExtendGapTest, AcceptsShortGapsByCategory)
{
    aircraft.category = GetParam().category;
    aircraft.key.cargo = GetParam().cargo;
    StandSighting last{2, 18, 1};
    EXPECT_EQ(gf_extendStandOption(at(2, 18 + GetParam().gap), stand, last, aircraft, "PH-EZA", false),
              GetParam().extends);
}

INSTANTIATE_TEST_SUITE_P(Gaps, ExtendGapTest,
                         ::testing::Values(GapCase{2, 0, 5, true}, GapCase{2, 0, 6, false},
                                           GapCase{3, 0, 7, true}, GapCase{3, 0, 8, false},
                                           GapCase{2, 1, 11, true}, GapCase{2, 1, 12, false}));

TEST_F(ExtendStandOptionTest, NothingToDoForNoOptionOrTheSameHalfHour)
{
    StandSighting none{2, 10, 0};
    EXPECT_TRUE(gf_extendStandOption(at(2, 20), stand, none, aircraft, "PH-EZA", false));
    StandSighting same{2, 18, 1};
    EXPECT_TRUE(gf_extendStandOption(at(2, 18), stand, same, aircraft, "PH-EZA", false));
    EXPECT_EQ(stand.options[0].hours, gf_slotBit(18));
    // A sighting later in the day than now is a week ago.
    StandSighting later{2, 18, 1};
    EXPECT_FALSE(gf_extendStandOption(at(2, 17), stand, later, aircraft, "PH-EZA", false));
}

TEST_F(ExtendStandOptionTest, AcrossMidnightStartsTodaysOption)
{
    stand.options.clear();
    gf_learnStandOption(stand.options, aircraft.key, at(7, 46), "KLM55", "PH-EZA", false);
    aircraft.callsign = "KLM56";
    StandSighting last{7, 46, 1};
    EXPECT_TRUE(gf_extendStandOption(at(1, 1), stand, last, aircraft, "PH-EZA", false));
    ASSERT_EQ(stand.options.size(), 2u);
    EXPECT_EQ(stand.options[0].hours, range(46, 47));
    EXPECT_EQ(stand.options[1].hours, range(0, 1));
    EXPECT_EQ(stand.options[1].day, 1u);
    EXPECT_EQ(stand.options[0].callsign2, "KLM56");
    EXPECT_EQ(stand.options[1].callsign, "KLM56");
    EXPECT_EQ(last.day, 1u);
    EXPECT_EQ(last.slot, 1u);
    EXPECT_EQ(last.optionId, 2u);
}

} // namespace
} // namespace ovr::test
