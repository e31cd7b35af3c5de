// The window operations that the lifecycle and the traffic call: time shift,
// automatic range, the parking's busy and done, the parking update.
#include <gtest/gtest.h>

#include "airports/park_airport.h"
#include "core/loop_clock.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/window_requests.h"
#include "gui/app_window.h"
#include "gui/main_window_detail.h"
#include "gui/option_helpers.h"
#include "gui/setting_controls.h"
#include "gui/window_state.h"
#include "main_window_fixture.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

class WindowOperations : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (IntListParameter* p : g_intListParameters)
        {
            lf_fillListCombo(*p);
        }
    }
    void TearDown() override
    {
        g_trafficReader.toffset.store(0);
        g_weatherReader.toffset.store(0);
        MainWindowTest::TearDown();
    }
    static LRESULT selected(const WindowControl& combo) { return SendMessageW(combo.hwnd, CB_GETCURSEL, 0, 0); }
};

TEST_F(WindowOperations, ATimeShiftAboveTwoWeeksIsCutAndShownClamped)
{
    gf_timeShift(30000, false);
    EXPECT_TRUE(logHas("Time shifting is limited to 2 weeks"));
    EXPECT_EQ(g_trafficReader.toffset.load(), 20160);
    EXPECT_EQ(g_weatherReader.toffset.load(), 20160);
    EXPECT_EQ(TIME_SHIFT_DAYS.current.load(), 13);
    EXPECT_EQ(TIME_SHIFT_HOURS.current.load(), 23);
    EXPECT_EQ(TIME_SHIFT_MINS.current.load(), 0);
    EXPECT_EQ(fileValue("TIME_SHIFT_DAYS"), "13");
    EXPECT_EQ(selected(TIME_SHIFT_DAYS), 13);
    EXPECT_EQ(selected(TIME_SHIFT_HOURS), 23);
    EXPECT_EQ(status(), "Time shifted 20160 minutes");
    EXPECT_EQ(g_timeShiftOn.load(), 1);
}

TEST_F(WindowOperations, AQuietShiftToZeroStillSaysSo)
{
    gf_timeShift(0, true);
    EXPECT_EQ(status(), "Time shift = 0");
    EXPECT_EQ(g_timeShiftOn.load(), 0);
}

TEST_F(WindowOperations, AShiftReplacesTheTrafficOnlyWithAParkAirport)
{
    gf_timeShift(90, false);
    EXPECT_EQ(g_timeShiftFlushRequested.load(), 0);
    EXPECT_EQ(TIME_SHIFT_HOURS.current.load(), 1);
    EXPECT_EQ(TIME_SHIFT_MINS.current.load(), 30);
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode{"EDDF"};
    }
    gf_timeShift(90, true);
    EXPECT_EQ(g_timeShiftFlushRequested.load(), 0);
    gf_timeShift(90, false);
    EXPECT_EQ(g_timeShiftFlushRequested.load(), 1);
}

struct RangeCase
{
    std::string name;
    bool onGround;
    double altitude;
    double distance;
    std::int32_t range;
};

class AutoRange : public WindowOperations, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(AutoRange, FollowsHeightAndDistance)
{
    AR_ABOVE_HEIGHT.current.store(18000);
    AIRP_HEIGHT.current.store(5000);
    const RangeCase& c = GetParam();
    EXPECT_EQ(detail::autoRangeFor(c.onGround, c.altitude, c.distance), c.range);
}

INSTANTIATE_TEST_SUITE_P(Cases, AutoRange,
                         ::testing::Values(RangeCase{"OnGround", true, 0.0, 500.0, 10},
                                           RangeCase{"AboveAutoHeight", false, 20000.0, 5.0, 100},
                                           RangeCase{"AboveAirportHeight", false, 6000.0, 5.0, 40},
                                           RangeCase{"Exactly7", false, 1000.0, 7.0, 10},
                                           RangeCase{"Seven4", false, 1000.0, 7.4, 8},
                                           RangeCase{"Nine", false, 1000.0, 8.6, 10},
                                           RangeCase{"TwentyTwo", false, 1000.0, 22.4, 20},
                                           RangeCase{"ThirtySix6", false, 1000.0, 36.6, 35},
                                           RangeCase{"Exactly37", false, 1000.0, 37.0, 40},
                                           RangeCase{"NoParkAirport", false, 1000.0, 10000.0, 40}),
                         caseName);

TEST_F(WindowOperations, TheParkingUpdateWaitsForTheNextQuarterMinute)
{
    for (const auto& [tick, text] : {std::pair{30, "Vora will update static parking in 15 seconds ..."},
                                     std::pair{31, "Vora will update static parking in 14 seconds ..."},
                                     std::pair{44, "Vora will update static parking in 1 second ..."}})
    {
        g_tick.store(tick);
        gf_scheduleParkingUpdate();
        EXPECT_EQ(status(), text);
        EXPECT_EQ(g_staticParkingArmed.load(), 1);
        EXPECT_EQ(g_parkingBusy.load(), 1);
    }
}

TEST_F(WindowOperations, BusyDisablesTheParkingControlsAndDoneGivesThemBack)
{
    const std::vector<const WindowControl*> parking = {&parking_percentage, &WEEK,     &PARK_SOFT,
                                                       &MAX_FIT_FL,         &MAX_PARK_SEL, &MAX_LIVE_SEL,
                                                       &SIM_TIME,           &TIME_SHIFT_DAYS, &RT_PARKTRAFFIC_ONLY,
                                                       &g_flushStaticButton, &g_rereadButton, &g_nowButton};
    gf_parkingBusy();
    for (const WindowControl* control : parking)
    {
        EXPECT_FALSE(enabled(*control)) << control->controlId;
    }
    EXPECT_EQ(g_nowPermitted.load(), 1);
    g_staticRenewMinutes.store(3);
    gf_parkingDone();
    EXPECT_EQ(g_parkingBusy.load(), 0);
    EXPECT_EQ(g_staticRenewMinutes.load(), 20);
    for (const WindowControl* control : parking)
    {
        EXPECT_TRUE(enabled(*control)) << control->controlId;
    }
}

// Without a park airport there is nothing to flush or to calculate now; a
// destination may be typed again. With INITIAL_LOAD_ONLY on, "Now" keeps its
// state.
TEST_F(WindowOperations, LeavingTheParkAirportSetsTheButtonsForNoAirport)
{
    for (const bool initialLoadOnly : {false, true})
    {
        SCOPED_TRACE(initialLoadOnly);
        INITIAL_LOAD_ONLY.current.store(initialLoadOnly);
        gf_parkingDone();
        gf_enableButton(g_nowButton, true);
        gf_enableParameterControl(DESTINATION, false);
        g_nowPermitted.store(0);
        gf_parkAirportLeft();
        EXPECT_FALSE(enabled(g_flushStaticButton));
        EXPECT_EQ(enabled(g_nowButton), initialLoadOnly);
        EXPECT_TRUE(enabled(DESTINATION));
        EXPECT_EQ(g_nowPermitted.load(), 1);
    }
    INITIAL_LOAD_ONLY.current.store(false);
}

TEST_F(WindowOperations, DoneLeavesThePercentageControlsOffWithParkTrafficOnly)
{
    RT_PARKTRAFFIC_ONLY.current.store(true);
    gf_parkingBusy();
    gf_parkingDone();
    for (const WindowControl* control :
         std::initializer_list<const WindowControl*>{&parking_percentage, &WEEK, &PARK_SOFT, &MAX_FIT_FL})
    {
        EXPECT_FALSE(enabled(*control)) << control->controlId;
    }
    EXPECT_TRUE(enabled(MAX_PARK_SEL));
}

TEST_F(WindowOperations, DoneKeepsTheTimeBoxesOfAnAccountWithoutTimeShift)
{
    gf_enableTimeControls(false);
    EXPECT_EQ(g_timeControlsEnabled.load(), 0);
    gf_parkingBusy();
    gf_parkingDone();
    EXPECT_FALSE(enabled(TIME_SHIFT_DAYS));
    EXPECT_FALSE(enabled(SIM_TIME));
    gf_enableTimeControls(true);
    EXPECT_TRUE(enabled(TIME_SHIFT_DAYS));
    EXPECT_TRUE(enabled(SIM_TIME));
}

TEST_F(WindowOperations, TheSetDestinationOfTheStartUpIsTheFirstParkAirportAtOnce)
{
    Airport eddf;
    eddf.icao = IcaoCode{"EDDF"};
    gf_setDestination("EDDF", eddf);
    EXPECT_EQ(status(), "New destination: EDDF");
    EXPECT_EQ(fileValue("DESTINATION"), "EDDF");
    const std::scoped_lock lock(g_parkAirportsMutex);
    ASSERT_FALSE(g_parkAirports.empty());
    EXPECT_EQ(g_parkAirports.front().icao, IcaoCode{"EDDF"});
}

TEST_F(WindowOperations, FoldersThatCannotOpenShowAMessageBox)
{
    pt::clearMessageBoxes();
    EXPECT_FALSE(lf_openManual());
    const auto boxes = pt::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open local folder with Manual");
    EXPECT_EQ(boxes[0].caption, "Vora");
}

TEST_F(WindowOperations, TrafficCountsRepaintOnlyWhenAFigureChanged)
{
    pt::pumpUntilIdle();
    RECT dirty{};
    ASSERT_FALSE(GetUpdateRect(window(), &dirty, FALSE));

    g_movingCount.store(5);
    gf_updateTrafficCounts();
    EXPECT_EQ(g_movingCount.load(), 0);
    EXPECT_EQ(g_staticCount.load(), 0);
    ASSERT_TRUE(GetUpdateRect(window(), &dirty, FALSE));
    EXPECT_EQ(dirty.top, kTopPanelRect.top);
    EXPECT_EQ(dirty.bottom, kTopPanelRect.bottom);

    pt::pumpUntilIdle();
    gf_updateTrafficCounts(); // the same figures again
    EXPECT_FALSE(GetUpdateRect(window(), &dirty, FALSE));
}

} // namespace
} // namespace ovr::test
