// What the painter draws for the window's states, read from the paint
// record: texts with their place and colour, and the fills behind them.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airports/airport_panel_figures.h"
#include "airports/park_airport.h"
#include "airports/park_airport_panel.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/window_requests.h"
#include "gui/main_window_detail.h"
#include "gui/window_state.h"
#include "liveries/livery_data.h"
#include "main_window_fixture.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "simlink/sim_panel_fields.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

constexpr COLORREF kLime = 0x32CD32;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlack = 0;
constexpr COLORREF kGrey = 0xA0A0A0;

using Kind = pt::PaintCall::Kind;

std::optional<pt::PaintCall> textAt(const std::vector<pt::PaintCall>& calls, int x, int y)
{
    std::optional<pt::PaintCall> found;
    for (const pt::PaintCall& call : calls)
    {
        if (call.kind == Kind::Text && call.rect.left == x && call.rect.top == y)
        {
            found = call;
        }
    }
    return found;
}

std::optional<pt::PaintCall> text(const std::vector<pt::PaintCall>& calls, const std::string& wanted)
{
    for (const pt::PaintCall& call : calls)
    {
        if (call.kind == Kind::Text && call.text == wanted)
        {
            return call;
        }
    }
    return std::nullopt;
}

// The colour of the last fill of exactly that rectangle.
std::optional<COLORREF> fillOf(const std::vector<pt::PaintCall>& calls, RECT rect)
{
    std::optional<COLORREF> colour;
    for (const pt::PaintCall& call : calls)
    {
        if (call.kind == Kind::Fill && call.rect.left == rect.left && call.rect.top == rect.top &&
            call.rect.right == rect.right && call.rect.bottom == rect.bottom)
        {
            colour = call.colour;
        }
    }
    return colour;
}

constexpr RECT kSimBox{397, 30, 426, 113};
constexpr RECT kServiceBox{425, 30, 454, 113};
constexpr RECT kStatusBar{0, 448, 881, 477};

TEST_F(MainWindowTest, NoSimulatorAndNoSession)
{
    const auto calls = paint();
    const auto msfs = textAt(calls, 5, 35);
    ASSERT_TRUE(msfs);
    EXPECT_EQ(msfs->text, "MSFS");
    EXPECT_EQ(msfs->colour, kLime);
    EXPECT_EQ(fillOf(calls, kSimBox), kRed);
    EXPECT_EQ(fillOf(calls, kServiceBox), kBlack);
    EXPECT_EQ(text(calls, "# liveries: ...")->colour, kRed);
    EXPECT_EQ(text(calls, "# simaddon: ...")->colour, kYellow);
    EXPECT_EQ(text(calls, "# thirdp: ...")->colour, kYellow);
    EXPECT_EQ(text(calls, "Version 12.5.5")->rect.left, 3);
    EXPECT_EQ(text(calls, "Vora")->rect.left, 390);
    EXPECT_EQ(fillOf(calls, kStatusBar), kLime);
    EXPECT_FALSE(textAt(calls, 5, 399)); // no park airport
}

TEST_F(MainWindowTest, ConnectedAndRunningWithTheUserAircraft)
{
    gf_setSimulatorText("MSFS 2020 (11.0)");
    gf_setUserAircraftText("Airbus A320neo");
    gf_setUserStandText("V155");
    g_simConnectedShown.store(1);
    g_simRunningShown.store(1);
    g_liveriesCount.store(812);
    g_mySimaddonCount.store(3);
    const auto calls = paint();
    EXPECT_EQ(fillOf(calls, kSimBox), kLime);
    EXPECT_EQ(text(calls, "MSFS 2020 (11.0), user stand V155")->colour, kLime);
    EXPECT_EQ(textAt(calls, 5, 63)->text, "Airbus A320neo");
    EXPECT_EQ(text(calls, "# liveries: 812")->colour, kLime);
    EXPECT_EQ(text(calls, "# simaddon: 3")->colour, kLime);

    g_simRunningShown.store(0);
    const auto paused = paint();
    EXPECT_EQ(fillOf(paused, kSimBox), kYellow);
    EXPECT_EQ(textAt(paused, 5, 63)->colour, kYellow);
    gf_setSimulatorText("");
    gf_setUserAircraftText("");
    gf_setUserStandText("");
}

TEST_F(MainWindowTest, ServicePanelByLoginAndReaders)
{
    g_serviceNotStarted.store(0);
    const auto failed = paint();
    EXPECT_EQ(fillOf(failed, kServiceBox), kRed);
    EXPECT_FALSE(text(failed, "Weather"));
    EXPECT_FALSE(text(failed, "Traffic"));

    g_authenticated.store(1);
    g_accountText.store("Standard licence");
    g_weatherIndicator.store(kIndicatorReceiving);
    g_trafficIndicator.store(kIndicatorWaiting);
    g_qnhShown.store(1013);
    g_movingCount.store(42);
    const auto running = paint();
    EXPECT_EQ(fillOf(running, kServiceBox), kLime);
    EXPECT_EQ(textAt(running, 458, 35)->text, "Standard licence");
    EXPECT_EQ(text(running, "Weather")->colour, kLime);
    EXPECT_EQ(text(running, "Traffic")->colour, kYellow);
    EXPECT_EQ(textAt(running, 642, 63)->text, "qnh: 1013");
    EXPECT_EQ(textAt(running, 642, 91)->text, "live:  42");

    g_trafficIndicator.store(kIndicatorStopped);
    const auto stopped = paint();
    EXPECT_FALSE(text(stopped, "Traffic"));
    EXPECT_FALSE(textAt(stopped, 642, 91));
}

TEST_F(MainWindowTest, AnErrorTurnsTheStatusBarRedAndStays)
{
    gf_setErrorStatus("SimConnect request error");
    gf_setStatus("later news", false);
    const auto calls = paint();
    EXPECT_EQ(fillOf(calls, kStatusBar), kRed);
    const auto shown = textAt(calls, 3, 455);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->text, "SimConnect request error");
    EXPECT_EQ(shown->colour, kYellow);
}

TEST_F(MainWindowTest, OptionLabelsFollowTheirSettings)
{
    g_timeControlsEnabled.store(0);
    g_parkingBusy.store(1);
    RT_PARKTRAFFIC_ONLY.current.store(true);
    MAX_PARK_SEL.current.store(0);
    MAX_LIVE_SEL.current.store(0);
    TIME_SHIFT_DAYS.current.store(1);
    const auto calls = paint();
    EXPECT_EQ(text(calls, "Time shift:")->colour, kGrey);
    EXPECT_EQ(text(calls, "day")->colour, kGrey);
    EXPECT_EQ(text(calls, "hours")->rect.left, 798);
    EXPECT_EQ(text(calls, "Airport parking")->colour, kYellow);
    for (const char* label : {"Week", "Soft", "Target: ", "%", "Max fit:"})
    {
        EXPECT_EQ(text(calls, label)->colour, kGrey) << label;
    }
    EXPECT_EQ(text(calls, "Max park (static+live):")->colour, kRed);
    EXPECT_EQ(text(calls, "Max live (park incl):")->colour, kRed);
    EXPECT_EQ(text(calls, "Scan for liveries")->colour, kYellow); // on by default

    MAX_LIVE_SEL.current.store(100);
    g_parkingBusy.store(0);
    RT_PARKTRAFFIC_ONLY.current.store(false);
    const auto after = paint();
    EXPECT_EQ(text(after, "Max park (static+live):")->colour, kYellow);
    EXPECT_EQ(text(after, "Max live (park incl):")->colour, kBlack);
    EXPECT_EQ(text(after, "Airport parking")->colour, kBlack);
    EXPECT_EQ(text(after, "Week")->colour, kBlack);
}

class AirportPanelTest : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode{"EDDF"};
        g_reservedStand = "V155";
    }
};

TEST_F(AirportPanelTest, ReadParkingDataFillBothLines)
{
    const auto before = paint();
    EXPECT_EQ(textAt(before, 5, 399)->colour, kYellow);
    EXPECT_FALSE(textAt(before, 5, 427));

    g_parkDataRead.store(1);
    gf_showParkDescription("Frankfurt");
    gf_showParkFileText("publisher 2", true);
    gf_showParkTrafficWeek(49);
    gf_showParkQualityText("0.83");
    gf_showParkStandCount(212);
    g_fitUsedSoft.store(1);
    g_reservedStandFound.store(0);
    g_apfUpdatesShown.store(5);
    g_parkedLiveCount.store(4);
    g_parkedMeanHoursShown.store(2.5f);
    g_staticWanted.store(120);
    g_staticWantedPercent.store(30);
    g_staticCount.store(97);
    g_parkingCandidateCount.store(6);
    g_staticMeanFitShown.store(3.0f);
    const auto calls = paint();
    EXPECT_EQ(textAt(calls, 5, 399)->colour, kLime);
    EXPECT_EQ(textAt(calls, 45, 399)->text, " Frankfurt, publisher 2 (h), wk=49");
    EXPECT_EQ(textAt(calls, 370, 399)->text, "*S*");
    EXPECT_EQ(textAt(calls, 430, 399)->text, "qf: 0.83");
    EXPECT_EQ(textAt(calls, 571, 399)->text, "reserved stand: V155");
    EXPECT_EQ(textAt(calls, 571, 399)->colour, kRed);
    EXPECT_EQ(textAt(calls, 748, 399)->text, "# updates:    5");
    EXPECT_EQ(textAt(calls, 5, 427)->text, "# stands: 212");
    EXPECT_EQ(textAt(calls, 111, 427)->text, "parked live:   4");
    EXPECT_EQ(textAt(calls, 249, 427)->text, "average fit: 2.5");
    EXPECT_EQ(textAt(calls, 430, 427)->text, "static:  97");
    EXPECT_EQ(textAt(calls, 500, 427)->text, " (6)");
    EXPECT_EQ(textAt(calls, 500, 427)->colour, kYellow);
    EXPECT_EQ(textAt(calls, 571, 427)->text, "average fit: 3");
    EXPECT_EQ(textAt(calls, 708, 427)->text, "max park: 120 (=30 %)");

    RT_PARKTRAFFIC_ONLY.current.store(true);
    g_fitUsedOtherDays.store(1);
    const auto parkTrafficOnly = paint();
    EXPECT_FALSE(textAt(parkTrafficOnly, 430, 399));
    EXPECT_FALSE(textAt(parkTrafficOnly, 708, 427));
    EXPECT_FALSE(textAt(parkTrafficOnly, 571, 427));
    EXPECT_EQ(textAt(parkTrafficOnly, 370, 399)->text, "*WS*");
    gf_showParkDescription("");
    gf_showParkFileText("", false);
    gf_showParkQualityText("");
    gf_showParkStandCount(0);
    gf_showParkTrafficWeek(0);
}

struct FieldEnd
{
    int x, y;
    int next; // the column of the next field
};

// Every text of the panel, far longer than its field, ends before the next
// field starts: it is cut, not drawn over its neighbour.
TEST_F(AirportPanelTest, LongTextsEndBeforeTheNextField)
{
    const std::string longText(120, 'W');
    g_parkDataRead.store(1);
    gf_showParkDescription("Frankfurt Main International, " + longText);
    gf_showParkFileText("publisher " + longText, true);
    gf_showParkQualityText(longText);
    gf_showParkStandCount(212);
    g_fitUsedSoft.store(1);
    g_fitUsedOtherDays.store(1);
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_reservedStand = longText;
    }
    g_parkedMeanHoursShown.store(2.5f);
    g_staticWanted.store(120);
    g_parkingCandidateCount.store(123456789);
    g_simConnectedShown.store(1);
    gf_setSimulatorText("MSFS 2024 " + longText);
    gf_setUserAircraftText("Airbus A321neo " + longText);

    const auto calls = paint();

    const FieldEnd fields[] = {
        {45, 399, 370},  {370, 399, 430}, {430, 399, 571}, {571, 399, 748},
        {500, 427, 571}, {5, 35, 397},    {5, 63, 397},
    };
    for (const FieldEnd& f : fields)
    {
        const auto shown = textAt(calls, f.x, f.y);
        ASSERT_TRUE(shown) << f.x << "," << f.y;
        EXPECT_LE(shown->rect.right, f.next) << shown->text;
        EXPECT_GT(shown->text.size(), 2u) << f.x << "," << f.y;
    }
    EXPECT_TRUE(
        std::string(" Frankfurt Main International, " + longText).starts_with(textAt(calls, 45, 399)->text));
    EXPECT_TRUE(std::string("Airbus A321neo " + longText).starts_with(textAt(calls, 5, 63)->text));

    gf_showParkDescription("");
    gf_showParkFileText("", false);
    gf_showParkQualityText("");
    gf_showParkStandCount(0);
    gf_setSimulatorText("");
    gf_setUserAircraftText("");
    g_simConnectedShown.store(0);
}

TEST_F(AirportPanelTest, TheRenewalMinutesShowWhileTheParkingRests)
{
    g_staticRenewMinutes.store(12);
    EXPECT_EQ(textAt(paint(), 5, 343)->text, "(next in 12 min)");
    g_parkingBusy.store(1);
    EXPECT_FALSE(textAt(paint(), 5, 343));
    g_parkingBusy.store(0);
    INITIAL_LOAD_ONLY.current.store(true);
    EXPECT_EQ(textAt(paint(), 5, 343)->text, "(no next ... )");
}

TEST_F(MainWindowTest, TextThatIsNoUtf8IsLoggedOnceAndDrawnReplaced)
{
    gf_setErrorStatus("\xC3\x28" "painter");
    const auto calls = paint();
    EXPECT_EQ(textAt(calls, 3, 455)->text, "\xEF\xBF\xBD(painter");
    paint();
    const std::string log = logText();
    const std::string line = "TextOut utf8  to wide failed for '";
    const auto first = log.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(line, first + 1), std::string::npos);
}

// Two texts that do not convert, repainted in turn, are each logged once.
TEST_F(AirportPanelTest, EachTextThatIsNoUtf8IsLoggedOnce)
{
    g_parkDataRead.store(1);
    gf_showParkDescription("M\xFCnchen");
    gf_setErrorStatus("\xC3\x28"
                      "status");
    for (int i = 0; i < 3; ++i)
    {
        paint();
    }
    const std::string log = logText();
    for (const std::string text : {"' M\xFCnchen, ", "'\xC3\x28status'"})
    {
        const std::string line = "TextOut utf8  to wide failed for " + text;
        const auto first = log.find(line);
        ASSERT_NE(first, std::string::npos) << log;
        EXPECT_EQ(log.find(line, first + 1), std::string::npos) << text;
    }
    gf_showParkDescription("");
    gf_clearErrorStatus();
}

} // namespace
} // namespace ovr::test
