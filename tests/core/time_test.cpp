#include "core/time.h"

#include <chrono>
#include <cmath>
#include <limits>

#include <gsl/gsl>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/time_detail.h"
#include "test_support.h"

namespace ovr
{
namespace
{

TEST(Time, FormattedTimes)
{
    const std::pair<std::int64_t, std::string_view> cases[] = {
        {0, "Thu Jan 01 00:00:00 1970"},
        {1796809738, "Wed Dec 09 09:48:58 2026"},
        {1791115200, "Sun Okt 04 12:00:00 2026"},
        {951868799, "Tue Feb 29 23:59:59 2000"},
        {32535215999, "Wed Dec 31 23:59:59 3000"},
        {32535216000, "Invalid time"},
        {-1, "Invalid time"},
    };
    for (auto [t, text] : cases)
        EXPECT_EQ(gf_formatTime(t), text) << t;
}

TEST(Time, HalfHourSlots)
{
    constexpr std::int64_t day = 1796774400; // 2026-12-09 00:00:00
    auto at = [](int h, int m, int s) { return day + h * 3600 + m * 60 + s; };
    const std::pair<std::int64_t, std::int32_t> cases[] = {
        {at(10, 29, 29), 20}, {at(10, 29, 30), 21}, {at(10, 59, 59), 21}, {at(11, 0, 0), 22},
        {at(23, 45, 0), 47},  {at(23, 59, 59), 47}, {at(0, 0, 0), 0},     {-5, -1},
    };
    for (auto [t, slot] : cases)
        EXPECT_EQ(detail::halfHourSlotAt(t), slot) << t;
}

TEST(Time, SystemTexts)
{
    EXPECT_TRUE(test::matchesShape(gf_timeOfDayString(), "99:99:99")) << gf_timeOfDayString();
    EXPECT_TRUE(test::matchesShape(gf_dateText(), "Aaa 99, 9999")) << gf_dateText();
    std::int32_t slot = gf_halfHourSlot();
    EXPECT_GE(slot, 0);
    EXPECT_LT(slot, 48);
}

double g_testDataTime = 0.0;

class ShiftedTime : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        gf_setDataTimeSource([] { return g_testDataTime; });
    }
    void TearDown() override
    {
        g_rtProfessional = 0;
        g_timeShiftOn = 0;
        g_testDataTime = 0.0;
        gf_setDataTimeSource(nullptr);
    }
    static std::int64_t systemNow()
    {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

TEST_F(ShiftedTime, NowFollowsTheDataOnlyWithBothFlags)
{
    g_testDataTime = 1796809738.5;
    const struct
    {
        std::uint8_t professional, shift;
        bool followsData;
    } cases[] = {{0, 0, false}, {1, 0, false}, {0, 1, false}, {1, 1, true}};
    for (const auto& c : cases)
    {
        g_rtProfessional = c.professional;
        g_timeShiftOn = c.shift;
        if (c.followsData)
        {
            EXPECT_EQ(gf_now(), 1796809739); // rounded half away from zero
            EXPECT_EQ(gf_shiftedTimeString(), "<<< 09:48:59");
        }
        else
        {
            EXPECT_NEAR(static_cast<double>(gf_now()), static_cast<double>(systemNow()), 2.0);
            EXPECT_EQ(gf_shiftedTimeString().find("<<<"), std::string::npos);
        }
    }
}

TEST_F(ShiftedTime, NoDataYetMeansSystemTime)
{
    g_rtProfessional = 1;
    g_timeShiftOn = 1;
    g_testDataTime = 0.0;
    EXPECT_NEAR(static_cast<double>(gf_now()), static_cast<double>(systemNow()), 2.0);
    EXPECT_EQ(gf_shiftedTimeString().size(), 8u);
}

TEST_F(ShiftedTime, ADataTimeThatIsNoNumberThrows)
{
    g_rtProfessional = 1;
    g_timeShiftOn = 1;
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), 1e300, -std::numeric_limits<double>::infinity()})
    {
        g_testDataTime = bad;
        EXPECT_THROW(gf_now(), gsl::narrowing_error) << bad;
        EXPECT_THROW(gf_shiftedTimeString(), gsl::narrowing_error) << bad;
    }
}

} // namespace
} // namespace ovr
