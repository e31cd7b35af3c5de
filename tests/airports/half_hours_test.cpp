#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>

#include "airports/half_hours.h"
#include "airports/weekday_hour.h"
#include "airports_test_support.h"

namespace ovr::test
{
namespace
{

HalfHourSet slots(std::initializer_list<std::uint32_t> list)
{
    HalfHourSet set = 0;
    for (std::uint32_t s : list)
        set |= gf_slotBit(s);
    return set;
}

struct ParseCase
{
    std::string text;
    HalfHourSet expected;
    std::string warning; // the one warning line expected, empty for none
};

class HoursToBitsetTest : public ScratchTest, public ::testing::WithParamInterface<ParseCase>
{
};

TEST_P(HoursToBitsetTest, ParsesRangesAndLists)
{
    const ParseCase& c = GetParam();
    EXPECT_EQ(gf_hours2bitset(c.text), c.expected);
    const auto lines = logLines();
    if (c.warning.empty())
        EXPECT_TRUE(lines.empty()) << lines.front();
    else
        EXPECT_EQ(lines, std::vector<std::string>{c.warning});
}

INSTANTIATE_TEST_SUITE_P(
    SlotTexts, HoursToBitsetTest,
    ::testing::Values(ParseCase{"5:8", slots({5, 6, 7, 8}), ""}, ParseCase{"5:5", slots({5}), ""},
                      ParseCase{"0:47", (HalfHourSet{1} << 48) - 1, ""}, ParseCase{"7", slots({7}), ""},
                      ParseCase{"8:5", 0, "==> gf_hours2bitset descending range not allowed (8:5 in 8:5)"},
                      ParseCase{"1:2:3", 0, "==> gf_hours2bitset more than one colon char in: 1:2:3"},
                      ParseCase{"5:", 0, "==> operator () invalid hour '' in 5:"},
                      ParseCase{":5", 0, "==> operator () invalid hour '' in :5"},
                      ParseCase{"1, 3 ,47", slots({1, 3, 47}), ""},
                      ParseCase{"1,48,2", slots({1, 2}), "==> operator () invalid hour '48' in 1,48,2"},
                      ParseCase{"-1", 0, "==> operator () invalid hour '-1' in -1"},
                      ParseCase{"12x", slots({12}), ""}, ParseCase{" 3 : 4 ", slots({3, 4}), ""},
                      ParseCase{"", 0, ""}, ParseCase{"x:4", 0, "==> operator () invalid hour 'x' in x:4"}));

struct HalfHourTextCase
{
    HalfHourSet set;
    std::optional<std::string> range;
    std::optional<std::string> list;
};

class HalfHoursTextTest : public ::testing::TestWithParam<HalfHourTextCase>
{
};

TEST_P(HalfHoursTextTest, WritesRangeAndListTexts)
{
    EXPECT_EQ(gf_halfHoursRangeText(GetParam().set), GetParam().range);
    EXPECT_EQ(gf_halfHoursListText(GetParam().set), GetParam().list);
}

INSTANTIATE_TEST_SUITE_P(SlotSets, HalfHoursTextTest,
                         ::testing::Values(HalfHourTextCase{slots({3, 4, 5}), "3:5", "3,4,5"},
                                           HalfHourTextCase{slots({3, 5}), std::nullopt, "3,5"},
                                           HalfHourTextCase{slots({7}), "7", "7"},
                                           HalfHourTextCase{slots({0, 47}), std::nullopt, "0,47"},
                                           HalfHourTextCase{0, std::nullopt, std::nullopt}));

TEST(HalfHoursTextTest, RangeTextReadsBackToTheSameSet)
{
    for (std::uint32_t first = 0; first < kSlotsPerDay; first += 5)
        for (std::uint32_t last = first; last < kSlotsPerDay; last += 7)
        {
            HalfHourSet set = 0;
            for (std::uint32_t s = first; s <= last; ++s)
                set |= gf_slotBit(s);
            EXPECT_EQ(gf_hours2bitset(*gf_halfHoursRangeText(set)), set);
        }
}

struct PreviousCase
{
    std::uint32_t slot;
    std::int32_t count;
    std::vector<std::int32_t> expected;
};

class PreviousHalfHoursTest : public ::testing::TestWithParam<PreviousCase>
{
};

TEST_P(PreviousHalfHoursTest, CountsDownAcrossMidnight)
{
    EXPECT_EQ(gf_previousHalfHours(gf_packWeekdayHour(3, GetParam().slot), GetParam().count),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Slots, PreviousHalfHoursTest,
                         ::testing::Values(PreviousCase{1, 4, {1, 0, 47, 46}},
                                           PreviousCase{0, 3, {0, 47, 46}}, PreviousCase{20, 2, {20, 19}},
                                           PreviousCase{5, 0, {}}, PreviousCase{5, -2, {}}));

TEST(SlotRangeTest, CutsToTheDay)
{
    EXPECT_EQ(gf_slotRange(3, 5), slots({3, 4, 5}));
    EXPECT_EQ(gf_slotRange(-4, 1), slots({0, 1}));
    EXPECT_EQ(gf_slotRange(46, 60), slots({46, 47}));
    EXPECT_EQ(gf_slotRange(0, 47), (HalfHourSet{1} << 48) - 1);
    EXPECT_EQ(gf_slotRange(5, 4), 0u);
    EXPECT_EQ(gf_checkedSlotBit(47), slots({47}));
    EXPECT_THROW(gf_checkedSlotBit(48), std::out_of_range);
    EXPECT_THROW(gf_checkedSlotBit(-1), std::out_of_range);
}

TEST(WeekdayHourTest, HalfHoursBetweenWrapsOverTheWeek)
{
    EXPECT_EQ(gf_halfHoursBetween(1, 46, 2, 1), 3);
    EXPECT_EQ(gf_halfHoursBetween(7, 47, 1, 0), 1);
    EXPECT_EQ(gf_halfHoursBetween(3, 10, 3, 10), 0);
    EXPECT_EQ(gf_halfHoursBetween(3, 11, 3, 10), 335);
}

} // namespace
} // namespace ovr::test
