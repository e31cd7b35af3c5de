// The main window's procedure: the program's own messages (start, save and
// quit, status repaint), the close button, and the hand-over of creation,
// commands and painting to the window's parts.
#pragma once

#include "platform/win/user32.h"

namespace ovr
{

LRESULT CALLBACK lf_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the start message does: the lifecycle above the window starts the
// session's thread. The program sets it before the window exists; unset,
// the message does nothing.
using StartMessageHandler = void (*)();
void gf_setStartMessageHandler(StartMessageHandler handler);

} // namespace ovr
