#include <chrono>
#include <mutex>
#include <thread>

#include <fmt/format.h>

#include "app/main_loop.h"
#include "app/main_loop_detail.h"
#include "app/start_up.h"
#include "app/start_up_detail.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/stop_request.h"
#include "core/user_on_ground.h"
#include "core/window_repaint.h"
#include "gui/app_window.h"
#include "gui/option_helpers.h"
#include "gui/setting_controls.h"
#include "gui/window_state.h"
#include "liveries/livery_tables.h"
#include "scanners/package_scans.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

std::jthread g_simClientThread;
std::atomic<bool> g_simClientEnded{true};
std::thread g_weatherReaderThread;
std::thread g_trafficReaderThread;

namespace
{

using namespace std::chrono_literals;

constexpr int kSessionIdPolls = 10;
constexpr auto kSessionIdPoll = 300ms;
constexpr auto kFirstTrafficTimeout = 10s;
constexpr auto kFirstTrafficPoll = 100ms;

// Reserved once per process.
bool g_containersPrepared = false;

// Polls `ready` up to `polls` times, waiting `step` between; ends early on a
// stop.
template <class Ready, class Between>
void lf_pollUpTo(int polls, std::chrono::milliseconds step, Ready ready, Between between)
{
    for (int i = 0; i < polls && !ready(); ++i)
    {
        if (!gf_waitUnlessStopped(step))
        {
            return;
        }
        between();
    }
}

void lf_startSimClient()
{
    if (g_simClientThread.joinable())
    {
        g_simClientThread.request_stop();
        g_simClientThread.join();
    }
    g_simClientEnded.store(false);
    g_simClientThread = std::jthread(
        [](std::stop_token stop)
        {
            SimClient(std::move(stop));
            g_simClientEnded.store(true);
        });
}

void lf_setReaderIndicatorsWaiting()
{
    g_trafficIndicator.store(kIndicatorWaiting);
    gf_repaintStatusPanel();
    g_weatherIndicator.store(kIndicatorWaiting);
    gf_repaintStatusPanel();
}

void lf_accountControls()
{
    gf_enableTimeControls(g_rtProfessional.load() != 0);
    if (g_rtProfessional.load() != 0)
    {
        return;
    }
    gf_timeShift(0, true);
    if (KEEP_SIM_TIME_PAR.current.load())
    {
        KEEP_SIM_TIME_PAR.current.store(false);
        gf_saveBoolSetting(KEEP_SIM_TIME_PAR);
        gf_showParameterCheck(KEEP_SIM_TIME_PAR);
    }
    gf_repaintStatusPanel();
}

} // namespace

namespace detail
{

void awaitFirstTraffic()
{
    LoopClock& clock = gf_loopClock();
    const LoopClock::TimePoint start = clock.now();
    while (!g_trafficReader.receiving.load())
    {
        if (clock.now() - start > kFirstTrafficTimeout)
        {
            gf_log("TrafficReader receiving timed out after 10 seconds?");
            gf_requestStop(kExitReaderError, kDelayReaderError);
            return;
        }
        if (!gf_waitUnlessStopped(kFirstTrafficPoll))
        {
            return;
        }
    }
}

} // namespace detail

bool lf_requestUserAc()
{
    while (g_simRunning.load() == 0 || g_simConnectError.load() != 0)
    {
        if (!gf_waitUnlessStopped(100ms))
        {
            return false;
        }
    }
    {
        std::lock_guard lock(g_simConnectMutex);
        if (SimConnect_RequestDataOnSimObject(g_simConnect, kReqUserOnGround, kDefUserOnGround,
                                              SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND, 0, 0, 0,
                                              0) < 0)
        {
            gf_logWarning("SimConnect request ac gnd/air fails");
            gf_onSimRequestError();
        }
    }
    while (g_userOnGroundValid.load() == 0 || !gf_positionKnown(g_userPos.latitude, g_userPos.longitude))
    {
        gf_requestUserAcPosition(g_userPos);
        if (!gf_waitUnlessStopped(500ms))
        {
            return false;
        }
    }
    gf_requestUserAcTitleAndModel();
    while (!gf_positionKnown(g_userPos.latitude, g_userPos.longitude))
    {
        gf_requestUserAcPosition(g_userPos);
        if (!gf_waitUnlessStopped(200ms))
        {
            return false;
        }
    }
    return true;
}

bool lf_startSession()
{
    g_authenticated.store(0);
    gf_repaintStatusPanel();
    g_simConnectedShown.store(0);
    gf_repaintStatusPanel();

    gf_reserveTrafficContainers();
    if (!g_containersPrepared)
    {
        gf_reserveMatchingContainers();
        g_containersPrepared = true;
    }
    gf_resetSimQueues();
    gf_repaintStatusPanel();
    lf_startSimClient();
    if (!lf_requestUserAc())
    {
        return false;
    }
    lf_enableSettingControl(SCAN_AIRPORTS);
    if (SCAN_AIRPORTS.current.load())
    {
        g_mySimaddonCount.store(0);
        gf_repaintStatusPanel();
        g_myThirdpartyCount.store(0);
        gf_repaintStatusPanel();
        gf_scanAirports();
    }
    if (AUTO_RANGE.current.load())
    {
        gf_autoRange();
    }
    if (gf_stopRequested())
    {
        return false;
    }
    gf_setSessionRunning(false);
    gf_updateTrafficBox();
    g_serviceNotStarted.store(0);
    gf_repaintStatusPanel();
    gf_authenticater();
    lf_setReaderIndicatorsWaiting();
    lf_accountControls();

    lf_pollUpTo(
        kSessionIdPolls, kSessionIdPoll, [] { return !g_weatherReader.guid.empty(); }, [] {});
    if (gf_stopRequested())
    {
        return false;
    }
    g_weatherReaderThread = std::thread(gf_weatherReader);

    lf_pollUpTo(
        kSessionIdPolls, kSessionIdPoll, [] { return g_qnhShown.load() != 0; }, [] { lf_every5Seconds(); });
    if (gf_stopRequested())
    {
        return false;
    }
    g_trafficReaderThread = gf_startTrafficReader(LatLon{g_userPos.latitude, g_userPos.longitude});
    gf_waitUnlessStopped(kSessionIdPoll);

    lf_noTrafficCheck();
    gf_setWeekdayHour();
    detail::awaitFirstTraffic();
    return true;
}

} // namespace ovr
