// The start-up thread: started by the window on the start message, at
// program start and after every in-process restart. It reads the settings
// and data files, starts the session, runs the main loop and closes down;
// every way through it ends in the closing down, which posts the start
// message again (restart) or the save-and-quit message.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace ovr
{

void lf_startUpVora();

// Set when a closing down ends in a restart; the next start-up then skips the
// one-time work of the process.
extern std::atomic<std::uint8_t> g_firstSessionDone;

// The simulator link of the session; closing down stops and joins it.
extern std::jthread g_simClientThread;
// Set as the simulator link's thread ends; closing down waits for it, bounded.
extern std::atomic<bool> g_simClientEnded;

// Production mode: read the parameters and data files, then end.
extern std::atomic<bool> g_production;

// The start-up thread of the current session. A new session joins the one
// that ended (it posted the start message as its last act); the entry point
// joins the last one once the message loop has ended.
extern std::jthread g_startUpThread;

// The window's start message: joins the session's thread that ended and
// starts the next one.
void lf_startStartUpThread();

} // namespace ovr
