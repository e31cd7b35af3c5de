// The main loop on a clock the test drives: a day of seconds, the pacing,
// and the reduced loop while no flight runs.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include "app/main_loop.h"
#include "platform/win/windows.h"
#include "core/parameters.h"
#include "core/globals.h"
#include "core/time.h"
#include "airports/weekday_hour.h"
#include "app/main_loop_detail.h"
#include "app_fixture.h"
#include "core/loop_clock.h"
#include "core/status_line.h"
#include "liveries/livery_matching.h"
#include "core/stop_request.h"
#include "platform/simconnect/world.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "service/traffic_reader.h"
#include "traffic/park_airports.h"
#include "core/window_requests.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

class MainLoopTest : public AppTest
{
  protected:
    // The loop asks the simulator for the user aircraft once a second: a
    // stand-in simulator and an open connection answer it.
    void SetUp() override
    {
        AppTest::SetUp();
        sim::WorldOptions options;
        options.keepLogs = false;
        world_ = std::make_unique<sim::World>(sim::Scenario{}, options);
        HANDLE handle = nullptr;
        ASSERT_GE(SimConnect_Open(&handle, "Vora", nullptr, 0, nullptr, 0), 0);
        std::lock_guard lock(g_simConnectMutex);
        g_simConnect = handle;
    }

    void TearDown() override
    {
        {
            std::lock_guard lock(g_simConnectMutex);
            SimConnect_Close(g_simConnect);
            g_simConnect = nullptr;
        }
        world_.reset();
        AppTest::TearDown();
    }

    // Runs the loop with the user aircraft's data arriving after every pass
    // (one simulated second per 10 ms pass) until `seconds` per-second steps
    // have run.
    void runSeconds(std::int64_t seconds)
    {
        g_simRunning.store(1);
        clock.onSleep = [this, seconds]
        {
            if (clock.sleeps() > seconds)
            {
                g_stop.store(1);
                return;
            }
            g_userDataArrived.store(1);
        };
        lf_mainLoop();
    }

  private:
    std::unique_ptr<sim::World> world_;
};

TEST_F(MainLoopTest, ADayOfSecondsBringsTheCounterBackToZeroAndKeepsTheRhythm)
{
    g_noMatch.insert("KLM     B744     PH-BFA");
    gf_rememberLivery(4711, "B744 KLM");
    runSeconds(86400 + 15);
    lf_clearNoMatchSet();
    EXPECT_EQ(g_tick.load(), 15);
    // The 20-minute job, 72 times a day.
    EXPECT_EQ(logCount("No match found for:"), 72u);
    // The daily job forgets the livery chosen per aircraft.
    EXPECT_TRUE(g_rememberedLiveries.empty());
    // 1440 minutes counted down in steps of 20.
    EXPECT_EQ(g_staticRenewMinutes.load(), 20);
}

TEST_F(MainLoopTest, WithoutTheUserAircraftsDataNoPerSecondWorkRuns)
{
    gf_setStatus("still here", false);
    g_simRunning.store(1);
    clock.onSleep = [this]
    {
        if (clock.sleeps() >= 5000)
        {
            g_stop.store(1);
        }
    };
    lf_mainLoop();
    EXPECT_EQ(g_tick.load(), 0);
    EXPECT_EQ(gf_statusTexts().status, "still here");
    EXPECT_EQ(g_clock.load(), 5000); // the intake ran on every pass
}

TEST_F(MainLoopTest, AStallIsNotCaughtUpButCountedAfresh)
{
    g_simRunning.store(1);
    clock.recordDeadlines = true;
    clock.onSleep = [this]
    {
        if (clock.sleeps() == 3)
        {
            clock.advance(500ms); // the pass after this one starts late
        }
        if (clock.sleeps() == 5)
        {
            g_stop.store(1);
        }
    };
    lf_mainLoop();
    ASSERT_EQ(clock.deadlines.size(), 5u);
    EXPECT_EQ(clock.deadlines[1] - clock.deadlines[0], 10ms);
    EXPECT_EQ(clock.deadlines[2] - clock.deadlines[1], 10ms);
    EXPECT_EQ(clock.deadlines[3] - clock.deadlines[2], 510ms);
    EXPECT_EQ(clock.deadlines[4] - clock.deadlines[3], 10ms);
}

TEST_F(MainLoopTest, AFlightThatStopsAndResumesIsLoggedOnceEachWay)
{
    clock.onSleep = [this]
    {
        const std::int64_t n = clock.sleeps();
        if (n == 300)
        {
            g_simRunning.store(1);
        }
        if (n > 300)
        {
            g_userDataArrived.store(1);
        }
        if (n == 310)
        {
            g_stop.store(1);
        }
    };
    lf_mainLoop();
    const std::vector<std::string> lines = logLines();
    const auto count = [&](std::string_view suffix)
    {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.ends_with(suffix); });
    };
    EXPECT_EQ(count(" Flight not running"), 1);
    EXPECT_EQ(count(" Flight resumed"), 1);
    EXPECT_EQ(g_flightPaused.load(), 0);
    EXPECT_EQ(g_tick.load(), 9);
}

TEST_F(MainLoopTest, AStopEndsTheLoopEvenWhileNoDataArrives)
{
    g_simRunning.store(1);
    clock.onSleep = [this]
    {
        if (clock.sleeps() == 50)
        {
            gf_requestStop(kExitReaderError, kDelayReaderError);
        }
    };
    lf_mainLoop();
    EXPECT_EQ(clock.sleeps(), 50);
}

// Sunday 2026-12-13 23:59:59 UTC, then one second later on each reading.
std::atomic<std::int64_t> g_readings{0};
double lf_tickingDataTime()
{
    return 1797206399.0 + static_cast<double>(g_readings.fetch_add(1));
}

// The weekday and the half-hour slot come from one reading of the clock, so
// midnight never pairs one day with the other day's slot.
TEST_F(AppTest, TheWeekdayAndTheSlotComeFromOneReadingOfTheClock)
{
    g_rtProfessional.store(1);
    g_timeShiftOn.store(1);
    g_readings.store(0);
    gf_setDataTimeSource(&lf_tickingDataTime);
    gf_setWeekdayHour();
    gf_setDataTimeSource(nullptr);
    const std::uint64_t packed = g_weekdayHour.load();
    EXPECT_EQ(gf_weekdayOf(packed), 7u);
    EXPECT_EQ(gf_slotOf(packed), 47u);
}

LRESULT CALLBACK lf_requestRereadOnEnable(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENABLE && wParam != FALSE)
        g_rereadRequested.store(1);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A re-read requested while the job runs (here: as it enables the
// destination's control) is kept for the next pass, not lost.
TEST_F(AppTest, ARereadRequestMadeWhileTheJobRunsIsKept)
{
    HWND control = createTopLevelWindow(L"RereadRequestTest", lf_requestRereadOnEnable);
    EnableWindow(control, FALSE);
    DESTINATION.hwnd = control;
    g_rereadRequested.store(1);
    lf_every5Seconds();
    DESTINATION.hwnd = nullptr;
    EXPECT_EQ(g_rereadRequested.load(), 1);
}

// An armed parking update collects the live identities and asks for the
// parked traffic on its first step; an unanswered request gets one more
// step; then the update goes on, and with nothing to adjust it ends the
// collection, so the sets do not grow for the rest of the session.
TEST_F(AppTest, AnArmedParkingUpdateCollectsFromItsFirstStepAndEndsTheCollectionWhenDone)
{
    g_staticParkingArmed.store(1);
    g_tick.store(15);
    lf_every15Seconds();
    EXPECT_EQ(g_parkingUpdatePhase.load(), 1);
    EXPECT_EQ(g_parkingBusy.load(), 1);
    EXPECT_TRUE(g_trafficReader.collecting.load());
    EXPECT_TRUE(g_trafficReader.parkedRequest.load());
    {
        const std::scoped_lock lock(g_trafficReader.collectedMutex);
        g_trafficReader.seenCallsigns.insert("DLH1");
        g_trafficReader.seenIds.insert(0x3c6444);
    }

    g_tick.store(30);
    lf_every15Seconds();
    EXPECT_EQ(g_parkingUpdatePhase.load(), 2) << "waits one more step for the answer";
    EXPECT_EQ(g_staticParkingArmed.load(), 1);
    EXPECT_TRUE(g_trafficReader.collecting.load());

    g_tick.store(45);
    lf_every15Seconds();
    EXPECT_EQ(g_parkingUpdatePhase.load(), 0);
    EXPECT_EQ(g_staticParkingArmed.load(), 0);
    EXPECT_FALSE(g_trafficReader.collecting.load());
    {
        const std::scoped_lock lock(g_trafficReader.collectedMutex);
        EXPECT_TRUE(g_trafficReader.seenCallsigns.empty());
        EXPECT_TRUE(g_trafficReader.seenIds.empty());
    }
    g_trafficReader.parkedRequest.store(false);
    g_parkingBusy.store(0);
}

} // namespace
} // namespace ovr::test
