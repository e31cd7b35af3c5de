#include "core/stop_request.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include <fmt/format.h>

#include "app/main_loop.h"
#include "app/start_up.h"
#include "app/start_up_detail.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/path_exists.h"
#include "core/status_line.h"
#include "core/text.h"
#include "gui/app_window.h"
#include "liveries/livery_matching.h"
#include "scanners/airport_file_counts.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "traffic/flight_plans.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/park_airports.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

using namespace std::chrono_literals;

// A thread whose work hangs (a reader in a transfer, the simulator link in a
// call) is given this long to end.
constexpr auto kThreadEndTimeout = 30s;
constexpr auto kThreadEndPoll = 100ms;
constexpr auto kUserClosePoll = 500ms;
constexpr auto kNewFlightNotice = 10s;

std::atomic<std::int64_t> g_threadEndTimeoutMs{0}; // 0: kThreadEndTimeout
std::atomic<bool> g_threadLeftRunning{false};

// Waits for a started thread's end mark, then joins it; a thread that does
// not end in time is left to the process with a warning.
template <class Thread> void lf_awaitThread(Thread& thread, const std::atomic<bool>& ended, std::string_view name)
{
    if (!thread.joinable())
    {
        return;
    }
    const std::int64_t configured = g_threadEndTimeoutMs.load();
    const auto timeout =
        configured > 0 ? std::chrono::milliseconds(configured) : std::chrono::milliseconds(kThreadEndTimeout);
    // Real time, not the loop's clock: this bounds a wait for a real thread.
    const auto start = std::chrono::steady_clock::now();
    while (!ended.load())
    {
        if (std::chrono::steady_clock::now() - start > timeout)
        {
            gf_logWarning(fmt::format("{} did not end within {} seconds", name,
                                      std::chrono::duration_cast<std::chrono::seconds>(timeout).count()));
            thread.detach();
            g_threadLeftRunning.store(true);
            return;
        }
        std::this_thread::sleep_for(kThreadEndPoll);
    }
    thread.join();
}

void lf_waitForUserAfterSystemError()
{
    while (g_userClosed.load() == 0 && g_exitReason.load() == kExitSystemError)
    {
        gf_sleepFor(kUserClosePoll);
    }
    if (g_userClosed.load() != 0)
    {
        // Shown even over the error that made the program wait, and logged.
        const std::string text = fmt::format("User closed {}", g_programShortName);
        gf_clearErrorStatus();
        gf_setStatus(text, false);
        gf_log(text);
    }
}

void lf_removeFlightPlanFolder()
{
    if (g_flightPlanFolder.empty() || !gf_pathExists(g_flightPlanFolder))
    {
        return;
    }
    // remove_all whatever the folder holds: asking remove() first and
    // emptying only on "directory not empty" leaves the folder behind where
    // the system reports a full folder as access denied.
    std::error_code ec;
    fs::remove_all(g_flightPlanFolder, ec);
    if (ec)
    {
        gf_log(fmt::format("gf_removeFlightPlanFolder: {}", ec.message()));
    }
}

void lf_resetTimeShiftOnClose()
{
    if (!KEEP_SIM_TIME_PAR.current.load())
    {
        SIM_TIME.current.store(false);
        gf_saveBoolSetting(SIM_TIME);
        lf_resetTimeShift();
    }
    else if (SIM_TIME.current.load())
    {
        lf_resetTimeShift();
    }
}

void lf_turnScansOff()
{
    for (BoolParameter* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS})
    {
        scan->current.store(false);
        gf_saveBoolSetting(*scan);
    }
}

// True when the session restarts in this process.
bool lf_prepareRestartOrEnd()
{
    const std::int32_t reason = g_exitReason.load();
    if (gf_isRestartReason(reason) && g_closeClicked.load() == 0 && g_threadLeftRunning.load())
    {
        gf_log(fmt::format("A thread of the session did not end, {} ends instead of restarting",
                           g_programShortName));
    }
    else if (gf_isRestartReason(reason) && g_closeClicked.load() == 0)
    {
        g_firstSessionDone.store(1);
        gf_clearErrorStatus();
        gf_setStatus("Prepare for a restart ...", true);
        if (reason != kExitNewSettings && gf_parametersRead())
        {
            lf_turnScansOff();
        }
        lf_restartCountdown();
        // The user closed the window during the countdown: that close stands.
        if (g_closeClicked.load() == 0)
        {
            lf_resetForRestart();
            return true;
        }
    }
    g_firstSessionDone.store(0);
    if (reason == kExitNewFlight)
    {
        gf_setStatus(fmt::format("New flight detected, {} will close, please restart manually ...",
                                 g_programShortName),
                     true);
        for (auto waited = 0ms; waited < kNewFlightNotice && g_closeClicked.load() == 0;
             waited += kUserClosePoll)
        {
            gf_sleepFor(kUserClosePoll);
        }
    }
    return false;
}

void lf_closeSession()
{
    gf_log(fmt::format("Exiting: {}", gf_exitReasonText(g_exitReason.load())));
    gf_setSessionRunning(false);
    const bool loggedIn = !g_weatherReader.guid.empty();
    detail::stopSessionThreads();
    if (loggedIn)
    {
        g_trafficReader.deauthenticate();
    }
    if (g_exitReason.load() == kExitSystemError)
    {
        lf_waitForUserAfterSystemError();
    }
    if (!g_parkAirport.icao.empty())
    {
        gf_leaveParkAirport();
    }
    gf_forgetRememberedLiveries();
    lf_removeFlightPlanFolder();
    g_timeShiftOn.store(0);
    // A session that ended before it read the settings holds defaults, not
    // the user's values: it writes none of them.
    if (gf_parametersRead())
    {
        gf_setParameter(DESTINATION, "");
        gf_setParameter(BLOCK_CALLSIGN, "");
        lf_resetTimeShiftOnClose();
    }
    gf_clearLiveCallsignList();
    g_tbloCount.store(0);
    gf_showLiveryMatchingSummary();
    gf_logNoMatches();
}

} // namespace

namespace detail
{

void stopSessionThreads()
{
    if (g_simClientThread.joinable())
    {
        g_simClientThread.request_stop();
        lf_awaitThread(g_simClientThread, g_simClientEnded, "SimClient");
    }
    g_weatherReader.requestStop();
    g_trafficReader.requestStop();
    lf_awaitThread(g_weatherReaderThread, g_weatherReader.ended, "WeatherReader");
    lf_awaitThread(g_trafficReaderThread, g_trafficReader.ended, "TrafficReader");
}

bool sessionThreadLeftRunning()
{
    return g_threadLeftRunning.load();
}

void forgetThreadLeftRunning()
{
    g_threadLeftRunning.store(false);
}

void setThreadEndTimeout(std::chrono::milliseconds timeout)
{
    g_threadEndTimeoutMs.store(timeout.count());
}

} // namespace detail

void lf_restartCountdown()
{
    const std::int32_t delay = g_restartDelay.load();
    if (delay <= 0)
    {
        return;
    }
    gf_log(fmt::format("Restarting after {} seconds", delay));
    gf_log(std::string(48, '-'));
    for (std::int32_t remaining = delay; remaining >= 1; --remaining)
    {
        if (g_closeClicked.load() != 0)
        {
            return;
        }
        gf_setStatus(fmt::format("Restarting after {} second{}", remaining, gf_plural(remaining)), false);
        gf_sleepFor(1s);
    }
    gf_log("Restart countdown finished");
}

void lf_closingDown()
{
    bool restart = false;
    try
    {
        lf_closeSession();
        restart = lf_prepareRestartOrEnd();
    }
    catch (const std::exception& e)
    {
        gf_setErrorStatus(fmt::format("{} exception {}", "lf_closingDown", e.what()));
        // The session's threads must not outlive it, whatever failed.
        detail::stopSessionThreads();
        g_firstSessionDone.store(0);
    }
    catch (...)
    {
        gf_setErrorStatus(fmt::format("{} exception {}", "lf_closingDown", "Unknown exception"));
        detail::stopSessionThreads();
        g_firstSessionDone.store(0);
    }
    if (HWND window = g_hMainWnd.load())
    {
        PostMessageW(window, restart ? kStartUpMessage : kSaveAndQuitMessage, 0, 0);
    }
}

} // namespace ovr
