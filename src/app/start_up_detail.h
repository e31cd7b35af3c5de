// The steps of the start-up thread, the session start and the closing down,
// for tests.
#pragma once

#include <chrono>
#include <string>
#include <thread>

namespace ovr
{

bool lf_readDataFiles();
void lf_housekeeping();
void lf_productionRun();
bool lf_startSession();
bool lf_requestUserAc();
void lf_closingDown();
void lf_restartCountdown();
void lf_resetForRestart();
void lf_resetTimeShift();

// The reader threads of the session; closing down stops and joins those that
// were started.
extern std::thread g_weatherReaderThread;
extern std::thread g_trafficReaderThread;

namespace detail
{

// The service's minimum interval between two sessions: holds with the
// status "Holding for {} seconds..." until 2 s have passed since
// LAST_EPOCH_TIME:, ending early on a stop.
void holdForService();

// Polls the Traffic Reader's receiving flag every 100 ms; after 10 s without
// it, "READER ERROR" with a restart after 15 s (as first stop).
void awaitFirstTraffic();

// A packages path of 10 characters or more loses a trailing "\Community"
// (or "/Community"); any other path is returned as it is.
std::string trimCommunity(const std::string& path);

// Asks the session's threads to stop and waits for them: the simulator link,
// then the readers that were started (bounded, with a warning). A thread
// that did not end in time is left to the process, and the session is then
// never restarted in it: the next one would share that thread's state.
void stopSessionThreads();
// Whether a thread of a session was left running; tests forget it.
bool sessionThreadLeftRunning();
void forgetThreadLeftRunning();
// The bound of each wait for a thread's end (0: the program's own).
void setThreadEndTimeout(std::chrono::milliseconds timeout);

} // namespace detail
} // namespace ovr
