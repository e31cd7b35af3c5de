// The SimClient thread: waiting for the simulator, the connection's setup,
// the dispatch loop and the handling of what ends it.
#include "simlink/sim_client.h"

#include <chrono>
#include <exception>
#include <string>
#include <thread>

#include <fmt/format.h>
#include <gsl/gsl>

#include "core/globals.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "platform/kernel/timing.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/sim_switch.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

std::mutex g_simConnectMutex;
HANDLE g_simConnect = nullptr;
std::atomic<std::uint8_t> g_notYetConnected{1};
std::atomic<std::uint8_t> g_simRunning{0};
std::atomic<std::uint8_t> g_simConnectError{0};

namespace
{

constexpr auto kOpenRetry = std::chrono::milliseconds(100);
constexpr auto kDispatchPeriod = std::chrono::milliseconds(1);
// A single failed dispatch is transient (the simulator is busy); this many
// in a row, about a tenth of a second, mean the connection is gone.
constexpr int kLostAfterFailures = 100;

// Whether this run of SimClient has handed the loss of the connection to
// the closing down already.
std::atomic<bool> g_disconnected{false};

void lf_setSimConnect(HANDLE h)
{
    const std::lock_guard lock(g_simConnectMutex);
    g_simConnect = h;
}

bool lf_stopAsked(const std::stop_token& stop)
{
    return g_stop.load() != 0 || g_userClosed.load() != 0 || stop.stop_requested();
}

// Waits for the simulator; false when a stop came first. Nothing is logged
// per attempt, only the waiting status once.
bool lf_waitForSimulator(const std::stop_token& stop, HANDLE& h)
{
    bool firstPass = true;
    while (!lf_stopAsked(stop))
    {
        if (firstPass)
        {
            firstPass = false;
            gf_log(" ");
            gf_setStatus(fmt::format("Waiting for MSFS 20{} ...", g_simIs2020.load() != 0 ? "20" : "24"),
                         true);
        }
        lf_closeSimConnect(h);
        if (SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0) >= 0)
        {
            return true;
        }
        h = nullptr;
        std::this_thread::sleep_for(kOpenRetry);
    }
    return false;
}

void lf_dispatchLoop(const std::stop_token& stop, HANDLE h)
{
    // The 1 ms sleep is only honoured with the finer timer resolution.
    const bool granted = timeBeginPeriod(1) == TIMERR_NOERROR;
    auto lf_timerPeriodGuard = gsl::finally(
        [granted]
        {
            if (granted)
            {
                timeEndPeriod(1);
            }
        });
    int failures = 0;
    while (!stop.stop_requested())
    {
        // A lost connection is not pumped any more: what might still come
        // through it must not undo the disconnect (a running flag set again).
        if (failures < kLostAfterFailures)
        {
            failures = lf_dispatchPending(h) < 0 ? failures + 1 : 0;
            if (failures == kLostAfterFailures)
            {
                lf_simDisconnect(false);
            }
        }
        std::this_thread::sleep_for(kDispatchPeriod);
    }
}

std::string lf_messageOf(const std::exception& e)
{
    const std::string text = e.what();
    return text.empty() ? "Unknown exception" : text;
}

} // namespace

void SimClient(std::stop_token stop)
{
    lf_setSimConnect(nullptr);
    lf_resetDisconnect();
    HANDLE h = nullptr;
    {
        auto lf_simConnectGuard = gsl::finally([&h] { lf_closeSimConnect(h); });
        try
        {
            if (lf_waitForSimulator(stop, h))
            {
                lf_setSimConnect(h);
                g_notYetConnected.exchange(0);
                lf_setupSimConnect();
                lf_dispatchLoop(stop, h);
            }
        }
        catch (const UserErrorException& e)
        {
            const std::string text = lf_messageOf(e);
            if (text.starts_with("2024"))
            {
                gf_log(fmt::format("MSFS and {} do not match, restarting ...", g_programShortName));
                lf_simDisconnect(true);
            }
            else
            {
                // The user must act (another simulator, a SimConnect of the
                // wrong version): the session stops with the error shown
                // instead of restarting against a closed connection.
                gf_setErrorStatus(text);
                gf_requestStop(kExitSystemError, 0);
            }
        }
        catch (const std::exception& e)
        {
            gf_setErrorStatus(lf_messageOf(e));
            lf_simDisconnect(false);
        }
        catch (...)
        {
            gf_setErrorStatus(fmt::format("Exception in {}", "SimClient"));
            lf_simDisconnect(false);
        }
        lf_onSimClientEnd();
        lf_closeSimConnect(h);
    }
}

std::uint8_t gf_onSimRequestError()
{
    gf_setStatus("SimConnect request error", true);
    const std::uint8_t previous = g_simConnectError.exchange(1);
    gf_requestStop(kExitSimConnectError, kDelaySimConnectError);
    return previous;
}

void lf_closeSimConnect(HANDLE& h)
{
    if (h == nullptr)
    {
        return;
    }
    if (SimConnect_Close(h) < 0)
    {
        gf_logWarning("Closing SimConnect failed?!");
    }
    else
    {
        gf_log("SimConnect closed ok");
    }
    h = nullptr;
}

void lf_onSimClientEnd()
{
    try
    {
        gf_checkUserStand();
        g_simConnectedShown.exchange(0);
        gf_repaintMainWindow();
        lf_setSimConnect(nullptr);
    }
    catch (...)
    {
        // The session ends anyway; a failing stand check must not keep the
        // thread from closing its connection.
    }
}

void lf_simDisconnect(bool versionSwitch)
{
    if (g_disconnected.exchange(true))
    {
        return;
    }
    g_simRunning.exchange(0);
    gf_simDisconnected(versionSwitch);
}

void lf_resetDisconnect()
{
    g_disconnected.store(false);
}

} // namespace ovr
