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

// The user clicked the window's close button (or the message loop ended):
// unlike g_userClosed, which the start-up's own stop checks set too, this
// survives into the closing down and turns a restart into the program's end.
extern std::atomic<std::uint8_t> g_closeClicked;

} // namespace ovr
