// SIGINT and SIGTERM close the program the way its close button does: the
// handler only writes to a pipe, and the UI thread's message loop, which
// watches that pipe, posts WM_CLOSE to the main window.
#pragma once

namespace ovr::kernel
{

void installCloseSignals();
// The pipe's read end, or -1 while the handlers are not installed.
int closeSignalFd();
// True (once) when a signal arrived.
bool takeCloseSignal();
// Keeps a taken signal for later when there was no window to close yet.
void keepCloseSignal();

} // namespace ovr::kernel
