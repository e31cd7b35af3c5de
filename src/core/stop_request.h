// How a session ends: any thread may ask for the end of the running session;
// the first one to do so also fixes why (the exit reason) and how long to
// wait before an in-process restart. The start-up thread reads both once the
// loops have ended and closes down (app/closing_down.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "core/globals.h"

namespace ovr
{

// Exit reasons. 3, 5 and 6 restart the session in the same process; the
// others end the program.
inline constexpr std::int32_t kExitNotYetSet = 0;
inline constexpr std::int32_t kExitSimWasClosed = 1;
inline constexpr std::int32_t kExitNewFlight = 2;
inline constexpr std::int32_t kExitNewSettings = 3;
inline constexpr std::int32_t kExitUserClosedSim = 4;
inline constexpr std::int32_t kExitSimConnectError = 5;
inline constexpr std::int32_t kExitReaderError = 6;
inline constexpr std::int32_t kExitSystemError = 7;
inline constexpr std::int32_t kExitNewVersion = 8;

// Restart delays in seconds that go with the reasons.
inline constexpr std::int32_t kDelayNewFlight = 45; // never counted down
inline constexpr std::int32_t kDelaySimVersionSwitch = 3;
inline constexpr std::int32_t kDelaySimConnectError = 9;
inline constexpr std::int32_t kDelayReaderError = 15;

// Written by the thread that won the stop request (see gf_requestStop), read
// by the start-up thread after the loops have ended.
extern std::atomic<std::int32_t> g_exitReason;
extern std::atomic<std::int32_t> g_restartDelay;

// A stop of the session or the user's close is under way: every loop and
// wait of the session ends when it sees this.
inline bool gf_stopRequested()
{
    return g_stop.load() != 0 || g_userClosed.load() != 0;
}

// "NOT YET SET", "SIM WAS CLOSED", ... "NEW VERSION"; "UNKNOWN" outside 0..8.
std::string_view gf_exitReasonText(std::int32_t reason);

// True for the reasons after which the session restarts in this process.
bool gf_isRestartReason(std::int32_t reason);

// Asks for the end of the session. Only the first caller (the one whose
// exchange of g_stop found it clear) writes the reason and the delay; it gets
// true back.
bool gf_requestStop(std::int32_t reason, std::int32_t delaySeconds);

// The user closed the window, production mode ended, or a stop check of the
// start-up found a stop: sets g_userClosed and g_stop and makes the reason
// "USER CLOSED SIM" unless one is already set. The delay is left alone.
void gf_requestUserClose();

// A worker thread ended on an error: "The {} has stopped with an error" on the
// status line and in the log; as first stop "READER ERROR" (15 s) when
// restartable, else "SYSTEM ERROR".
void gf_threadStoppedWithError(std::string_view threadName, bool restartable);

} // namespace ovr
