// How a session ends: restart or end by exit reason, the countdown, the wait
// for the user after a system error, the notice of a new flight, and the
// state after the reset for a restart.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "../params/parameters_fixture.h"
#include "airports/apf_reader.h"
#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "app/main_loop.h"
#include "app/start_up.h"
#include "app/start_up_detail.h"
#include "app_fixture.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "gui/app_window.h"
#include "gui/window_state.h"
#include "liveries/livery_matching.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

struct EndCase
{
    std::string name;
    std::int32_t reason;
    std::int32_t delay;
    bool restarts;
    bool scansTurnedOff;
    std::vector<std::string> countdownLines;
};

void PrintTo(const EndCase& c, std::ostream* out)
{
    *out << c.name;
}

class ClosingDownByReason : public AppTest, public ::testing::WithParamInterface<EndCase>
{
};

TEST_P(ClosingDownByReason, RestartsOrEndsAsTheReasonSays)
{
    const EndCase& c = GetParam();
    gf_requestStop(c.reason, c.delay);

    lf_closingDown();

    EXPECT_TRUE(logHas("Exiting: " + std::string(gf_exitReasonText(c.reason))));
    EXPECT_EQ(postedMessages(), std::vector<UINT>{c.restarts ? kStartUpMessage : kSaveAndQuitMessage});
    EXPECT_EQ(g_firstSessionDone.load(), c.restarts ? 1 : 0);
    EXPECT_EQ(SCAN_LIVERIES.current.load(), !c.scansTurnedOff);
    EXPECT_EQ(SCAN_AIRPORTS.current.load(), !c.scansTurnedOff);
    EXPECT_EQ(logHas("Prepare for a restart ..."), c.restarts);
    for (const std::string& line : c.countdownLines)
    {
        EXPECT_TRUE(logHas(line)) << line;
    }
    if (c.countdownLines.empty())
    {
        EXPECT_FALSE(logHas("Restart countdown finished"));
        EXPECT_FALSE(logHas(std::string(48, '-')));
    }
    if (c.restarts)
    {
        EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
        EXPECT_EQ(g_stop.load(), 0);
    }
}

const std::vector<std::string> kCountdown3{"Restarting after 3 seconds", std::string(48, '-'),
                                           "Restart countdown finished"};
const std::vector<std::string> kCountdown9{"Restarting after 9 seconds", "Restart countdown finished"};
const std::vector<std::string> kCountdown15{"Restarting after 15 seconds", "Restart countdown finished"};

INSTANTIATE_TEST_SUITE_P(
    Reasons, ClosingDownByReason,
    ::testing::Values(EndCase{"NewSettings", kExitNewSettings, 3, true, false, kCountdown3},
                      EndCase{"SimConnectError", kExitSimConnectError, 9, true, true, kCountdown9},
                      EndCase{"ReaderError", kExitReaderError, 15, true, true, kCountdown15},
                      EndCase{"RestartWithoutDelay", kExitReaderError, 0, true, true, {}},
                      EndCase{"SimWasClosed", kExitSimWasClosed, 0, false, false, {}},
                      EndCase{"UserClosedSim", kExitUserClosedSim, 0, false, false, {}},
                      EndCase{"NewVersion", kExitNewVersion, 0, false, false, {}}),
    caseName);

TEST_F(AppTest, ACountdownShowsEverySecondWithoutLoggingIt)
{
    std::vector<std::string> shown;
    clock.onSleep = [&] { shown.push_back(gf_statusTexts().status); };
    g_restartDelay.store(3);
    lf_restartCountdown();
    EXPECT_EQ(shown, (std::vector<std::string>{"Restarting after 3 seconds", "Restarting after 2 seconds",
                                               "Restarting after 1 second"}));
    EXPECT_FALSE(logHas("Restarting after 2 seconds"));
}

TEST_F(AppTest, ClosingDownForgetsTheRememberedLiveriesAndLogsTheUnmatched)
{
    gf_rememberLivery(4711, "B744 KLM");
    g_noMatch.insert("KLM     B744     PH-BFA");
    gf_requestStop(kExitSimWasClosed, 0);
    lf_closingDown();
    lf_clearNoMatchSet();
    EXPECT_TRUE(g_rememberedLiveries.empty());
    EXPECT_TRUE(logHas("No match found for:"));
}

TEST_F(AppTest, ANewFlightEndsWithItsNoticeAfterTenSeconds)
{
    gf_requestStop(kExitNewFlight, kDelayNewFlight);
    const auto before = clock.now();
    lf_closingDown();
    EXPECT_TRUE(logHas("New flight detected, Vora will close, please restart manually ..."));
    EXPECT_GE(clock.now() - before, 10s);
    EXPECT_FALSE(logHas("Restarting after 45 seconds"));
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kSaveAndQuitMessage});
}

// Runs the closing down on a thread of its own, as the start-up thread does.
class WaitingClosingDown : public AppTest
{
  protected:
    void start()
    {
        thread_ = std::thread([] { lf_closingDown(); });
    }
    void finish() { thread_.join(); }
    // Gives the waiting thread real time to show that it waits.
    static void letItWait() { std::this_thread::sleep_for(50ms); }

  private:
    std::thread thread_;
};

TEST_F(WaitingClosingDown, ASystemErrorWaitsUntilTheUserClosesTheWindow)
{
    gf_requestStop(kExitSystemError, 0);
    start();
    letItWait();
    EXPECT_TRUE(postedMessages().empty());
    gf_requestUserClose();
    finish();
    EXPECT_TRUE(logHas("User closed Vora"));
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kSaveAndQuitMessage});
}

TEST_F(WaitingClosingDown, ASystemErrorReplacedByAnotherStopFollowsTheNewReason)
{
    // The start-up's handler of a user error writes the reason without the
    // stop flag, so a later failure elsewhere can still set its own.
    g_exitReason.store(kExitSystemError);
    start();
    letItWait();
    EXPECT_TRUE(gf_requestStop(kExitReaderError, 0));
    finish();
    EXPECT_FALSE(logHas("User closed Vora"));
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kStartUpMessage});
}

TEST_F(AppTest, TheUsersCloseDuringTheCountdownEndsTheProgram)
{
    gf_requestStop(kExitReaderError, kDelayReaderError);
    clock.onSleep = [this]
    {
        if (clock.sleeps() == 2)
        {
            g_closeClicked.store(1);
            gf_requestUserClose();
        }
    };
    lf_closingDown();
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kSaveAndQuitMessage});
    EXPECT_EQ(g_firstSessionDone.load(), 0);
    EXPECT_FALSE(logHas("Restart countdown finished"));
}

TEST_F(AppTest, ClosingDownWithoutALoginNeitherWaitsForReadersNorLogsOut)
{
    LAST_EPOCH_TIME.current.store(0);
    gf_requestStop(kExitReaderError, 0);
    lf_closingDown();
    // A logout, whatever its outcome, logs a line about it and notes the
    // session's end.
    for (const std::string& line : logLines())
    {
        EXPECT_EQ(line.find("eauthenticat"), std::string::npos) << line;
    }
    EXPECT_EQ(LAST_EPOCH_TIME.current.load(), 0);
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kStartUpMessage});
}

TEST_F(AppTest, ClosingDownClearsTheDestinationAndTheBlockedCallsign)
{
    gf_setParameter(DESTINATION, "EDDF");
    gf_setParameter(BLOCK_CALLSIGN, "DLH123");
    gf_requestUserClose();
    lf_closingDown();
    EXPECT_EQ(DESTINATION.value(), "");
    EXPECT_EQ(BLOCK_CALLSIGN.value(), "");
    const std::string file = readFile(parametersFile());
    EXPECT_NE(file.find(R"(name="DESTINATION" value="")"), std::string::npos) << file;
}

// A start that failed before the settings were read holds defaults: closing
// down must not write them over the user's file.
TEST_F(AppTest, ClosingDownBeforeTheSettingsWereReadWritesNoSetting)
{
    detail::setParametersRead(false);
    const std::string file = R"(<?xml version="1.0"?><root><parameters>)"
                             R"(<parameter name="SIM_TIME" value="true"/>)"
                             R"(<parameter name="TIME_SHIFT_HOURS" value="3"/>)"
                             R"(<parameter name="DESTINATION" value="EDDF"/>)"
                             R"(<parameter name="SCAN_LIVERIES" value="true"/>)"
                             R"(</parameters></root>)";
    {
        std::ofstream out(parametersFile(), std::ios::binary);
        out << file;
    }
    for (bool userClose : {true, false})
    {
        resetLifecycleState();
        if (userClose)
            gf_requestUserClose();
        else
            gf_requestStop(kExitReaderError, 0);
        lf_closingDown();
        EXPECT_EQ(readFile(parametersFile()), file) << userClose;
    }
}

std::atomic<bool> g_hungReaderMayEnd{false};

void lf_hangUntilReleased()
{
    while (!g_hungReaderMayEnd.load())
        std::this_thread::sleep_for(10ms);
}

// A session thread that could not be joined still runs on the session's
// state: the session is not restarted on it, the program ends instead. The
// wait for each is bounded.
TEST_F(AppTest, AThreadThatDidNotEndIsNeverReusedByARestart)
{
    for (const bool simClient : {false, true})
    {
        SCOPED_TRACE(simClient ? "SimClient" : "TrafficReader");
        resetLifecycleState();
        detail::setThreadEndTimeout(200ms);
        g_hungReaderMayEnd.store(false);
        if (simClient)
        {
            g_simClientEnded.store(false);
            g_simClientThread = std::jthread(lf_hangUntilReleased);
        }
        else
        {
            g_trafficReader.ended.store(false);
            g_trafficReaderThread = std::thread(lf_hangUntilReleased);
        }
        gf_requestStop(kExitReaderError, 0);
        lf_closingDown();
        g_hungReaderMayEnd.store(true);
        EXPECT_TRUE(logHas(simClient ? "==> SimClient did not end within 0 seconds"
                                     : "==> TrafficReader did not end within 0 seconds"));
        EXPECT_TRUE(logHas("A thread of the session did not end, Vora ends instead of restarting"));
        EXPECT_EQ(postedMessages().back(), kSaveAndQuitMessage);
        std::this_thread::sleep_for(50ms); // the thread ends before the test does
    }
    g_simClientEnded.store(true);
}

// The park airport is left only once the simulator link has ended: what
// the leave removes is never sent (the simulator drops the objects with the
// connection), and what was learned there is still saved.
TEST_F(AppTest, ClosingDownLeavesTheParkAirportAfterTheSimulatorLinkEnded)
{
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode{"EDDF"};
    }
    Stand stand;
    stand.name = "A1";
    stand.numericId = 1;
    stand.latitude = 50.03;
    stand.longitude = 8.57;
    StandOption option;
    option.registration = "D-AIZB";
    option.id = 1;
    option.day = 1;
    option.hours = 3;
    stand.options.push_back(option);
    g_stands.push_back(stand);
    g_learnedApfPath = std::filesystem::path("airports") / "learned" / "stock" / "EDDF.xml";
    g_learnedOverride.store(1);
    g_simClientEnded.store(false);
    g_simClientThread = std::jthread(
        [](std::stop_token stop)
        {
            while (!stop.stop_requested())
                std::this_thread::sleep_for(1ms);
            gf_log("test: the simulator link ends");
            g_simClientEnded.store(true);
        });

    gf_requestUserClose();
    lf_closingDown();

    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_TRUE(std::filesystem::exists(g_learnedApfPath));
    const std::vector<std::string> lines = logLines();
    const auto linkEnded = std::ranges::find(lines, "test: the simulator link ends");
    const auto saved = std::ranges::find_if(
        lines, [](const std::string& l) { return l.find("EDDF.xml' saved with") != std::string::npos; });
    ASSERT_NE(linkEnded, lines.end());
    ASSERT_NE(saved, lines.end());
    EXPECT_LT(linkEnded, saved);
    g_learnedApfPath.clear();
}

TEST_F(AppTest, TheResetBeforeARestartPutsTheSessionBackToItsStart)
{
    gf_requestStop(kExitReaderError, kDelayReaderError);
    g_userClosed.store(1);
    g_tick.store(1234);
    g_flightPaused.store(1);
    g_rtProfessional.store(1);
    g_staticParkingArmed.store(1);
    g_blockListChanged.store(1);
    g_followChanged.store(1);
    g_userDataArrived.store(1);
    g_notYetConnected.store(0);
    g_simRunning.store(1);
    g_simConnectError.store(1);
    g_userPos.latitude = 50.0;
    g_trafficIndicator.store(kIndicatorReceiving);
    g_qnhShown.store(1021);
    g_trafficReader.guid = "session";
    gf_setErrorStatus("broken");

    lf_resetForRestart();

    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_EQ(g_userClosed.load(), 0);
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
    EXPECT_EQ(gf_exitReasonText(g_exitReason.load()), "NOT YET SET");
    EXPECT_EQ(g_tick.load(), 0);
    EXPECT_EQ(g_flightPaused.load(), 0);
    EXPECT_EQ(g_rtProfessional.load(), 0);
    EXPECT_EQ(g_staticParkingArmed.load(), 0);
    EXPECT_EQ(g_blockListChanged.load(), 0);
    EXPECT_EQ(g_followChanged.load(), 0);
    EXPECT_EQ(g_userDataArrived.load(), 0);
    EXPECT_EQ(g_notYetConnected.load(), 1);
    EXPECT_EQ(g_simRunning.load(), 0);
    EXPECT_EQ(g_simConnectError.load(), 0);
    EXPECT_EQ(g_userPos.latitude, 0.0);
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorStopped);
    EXPECT_EQ(g_qnhShown.load(), 0);
    EXPECT_TRUE(g_trafficReader.guid.empty());
    EXPECT_TRUE(gf_statusTexts().error.empty());
}

// The close comes between the countdown's last look and the reset: the
// session that starts must end at once, not run on with the close forgotten.
TEST_F(AppTest, ACloseThatCameDuringTheResetHoldsForTheNewSession)
{
    gf_requestStop(kExitReaderError, kDelayReaderError);
    g_closeClicked.store(1);
    gf_requestUserClose();

    lf_resetForRestart();

    EXPECT_TRUE(gf_stopRequested());
    EXPECT_EQ(g_userClosed.load(), 1);
    EXPECT_EQ(g_exitReason.load(), kExitUserClosedSim);
}

TEST_F(AppTest, TheTimeShiftIsResetUnlessItIsKept)
{
    const struct
    {
        bool keep;
        bool simTime;
        bool simTimeAfter;
        std::int32_t hoursAfter;
    } cases[] = {
        {false, true, false, 0}, // not kept: the simulator time and the shift go
        {true, true, true, 0},   // kept: the simulator time stays, the shift goes
        {true, false, false, 5}, // kept without simulator time: nothing changes
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.keep << c.simTime);
        resetLifecycleState();
        KEEP_SIM_TIME_PAR.current.store(c.keep);
        TIME_SHIFT_HOURS.current.store(5);
        SIM_TIME.current.store(c.simTime);
        gf_requestUserClose();
        lf_closingDown();
        EXPECT_EQ(SIM_TIME.current.load(), c.simTimeAfter);
        EXPECT_EQ(TIME_SHIFT_HOURS.current.load(), c.hoursAfter);
    }
}

} // namespace
} // namespace ovr::test
