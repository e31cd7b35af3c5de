// The main window's own parts that the window procedure hands over to: the
// controls on WM_CREATE, the commands, and the painting.
#pragma once

#include "platform/win/gdi32.h"
#include "platform/win/user32.h"

namespace ovr
{

// Creates every control of the window on its grid.
void lf_createControls(HWND parent, const CREATESTRUCTW& creation);
// Handles a command of the window; false when it is not one of the
// program's, and the window procedure passes it on.
bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam);
// Paints the whole window, double-buffered.
void lf_paintMainWindow(HDC dc);

} // namespace ovr
