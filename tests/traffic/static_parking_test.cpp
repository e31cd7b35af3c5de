// The static parking's arithmetic: the park limit, the hours of a fit step,
// the arrival of an aircraft in the week and the keys of static aircraft.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "../app/app_fixture.h"
#include "airports/max_fit.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/parameters.h"
#include "traffic/adding_stack.h"
#include "traffic/static_parking.h"

namespace ovr::test
{
namespace
{

class StaticParkingTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        gf_clearStands();
        g_staticAircraft.clear();
    }
    void TearDown() override
    {
        gf_clearStands();
        g_staticAircraft.clear();
        g_staticRunningNumber = 0;
        MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
        CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
        parking_percentage.current.store(parking_percentage.defaultValue);
        AppTest::TearDown();
    }
    static void setStands(std::size_t n)
    {
        gf_clearStands();
        for (std::size_t i = 0; i < n; ++i)
        {
            Stand s;
            // appended, not "S" + ...: g++ 12 at -O3 warns falsely (-Wrestrict) on that
            s.name = "S";
            s.name += std::to_string(i + 1);
            s.numericId = static_cast<std::int32_t>(i + 1);
            g_stands.push_back(s);
        }
    }
};

struct StaticWantedCase
{
    std::size_t stands;
    std::int32_t percent;
    std::int32_t maxPark;
    std::int32_t wanted;
};

TEST_F(StaticParkingTest, TheParkLimitIsTheRoundedShareOfTheStandsAtMostMaxPark)
{
    const std::vector<StaticWantedCase> cases{
        {1, 30, 500, 1},  {3, 40, 500, 1},   {3, 50, 500, 2}, {4, 30, 500, 1},
        {10, 0, 500, 0},  {1, 0, 500, 0},    {0, 30, 500, 0}, {0, 100, 500, 0},
        {10, 55, 500, 6}, {100, 50, 20, 20}, {10, 50, 0, 0},
    };
    for (const StaticWantedCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.stands << " stands, " << c.percent << " %, max " << c.maxPark);
        setStands(c.stands);
        CUSTOM_PARKING_PERCENTAGE.current.store(c.percent);
        MAX_PARK_SEL.current.store(c.maxPark);
        EXPECT_EQ(gf_wantedParking(), c.wanted);
    }
}

TEST_F(StaticParkingTest, WithoutACustomPercentageTheChosenOneCounts)
{
    setStands(10);
    CUSTOM_PARKING_PERCENTAGE.current.store(-1);
    parking_percentage.current.store(0);
    MAX_PARK_SEL.current.store(500);
    EXPECT_EQ(gf_wantedParking(), 0);
    parking_percentage.current.store(30);
    EXPECT_EQ(gf_wantedParking(), 3);
}

TEST(FitHoursTest, StepsBecomeHours)
{
    const std::vector<std::pair<std::int32_t, float>> cases{
        {-3, 0.5f}, {0, 0.5f},  {1, 1.0f},   {9, 5.0f},   {10, 6.0f},  {11, 6.0f},  {12, 7.0f},
        {21, 11.0f}, {22, 12.0f}, {25, 12.0f}, {26, 15.0f}, {31, 15.0f}, {32, 18.0f}, {37, 18.0f},
        {38, 21.0f}, {43, 21.0f}, {44, 24.0f}, {47, 24.0f},
    };
    for (const auto& [step, hours] : cases)
    {
        EXPECT_EQ(gf_fitHours(step), hours) << "step " << step;
    }
}

struct StaticArrivalCase
{
    std::uint32_t weekday;
    std::uint32_t slot;
    std::uint32_t age;
    std::uint32_t arrivalWeekday;
    std::uint32_t arrivalSlot;
};

TEST(ArrivalTest, IsCountedBackThroughTheWeek)
{
    const std::vector<StaticArrivalCase> cases{
        {3, 20, 0, 3, 20},   // arrived now
        {3, 20, 20, 3, 0},   // earlier the same day
        {3, 20, 21, 2, 47},  // the day before
        {1, 5, 6, 7, 47},    // Monday looks back to Sunday
        {3, 20, 100, 1, 16}, // more than a day back
        {1, 0, 336, 1, 0},   // a whole week back
        {1, 0, 400, 6, 32},  // beyond a week: wraps again
    };
    for (const StaticArrivalCase& c : cases)
    {
        const std::uint64_t arrival = gf_arrivalOf(gf_packWeekdayHour(c.weekday, c.slot), c.age);
        EXPECT_EQ(gf_weekdayOf(arrival), c.arrivalWeekday) << c.weekday << "/" << c.slot << " - " << c.age;
        EXPECT_EQ(gf_slotOf(arrival), c.arrivalSlot) << c.weekday << "/" << c.slot << " - " << c.age;
        EXPECT_LT(gf_arrivalIndex(arrival), kSlotsPerWeek);
    }
}

TEST_F(StaticParkingTest, StaticKeysWrapPastZeroAndSkipHeldKeys)
{
    g_staticRunningNumber = 9998;
    StaticAc held;
    held.aiKey = 1;
    g_staticAircraft.push_back(held);
    held.aiKey = 3;
    g_staticAircraft.push_back(held);
    std::vector<std::uint32_t> keys;
    for (int i = 0; i < 3; ++i)
    {
        keys.push_back(gf_nextStaticKey());
        StaticAc taken;
        taken.aiKey = keys.back();
        g_staticAircraft.push_back(taken);
    }
    EXPECT_EQ(keys, (std::vector<std::uint32_t>{9999, 2, 4}));
}

TEST_F(StaticParkingTest, NoKeyWhenEveryKeyIsHeld)
{
    for (std::uint32_t key = 1; key <= 9999; ++key)
    {
        StaticAc held;
        held.aiKey = key;
        g_staticAircraft.push_back(held);
    }
    EXPECT_EQ(gf_nextStaticKey(), 0u);
}

} // namespace
} // namespace ovr::test
