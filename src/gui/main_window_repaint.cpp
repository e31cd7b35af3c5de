#include "gui/main_window_repaint.h"

#include "core/app_window.h"

namespace ovr
{

// Nothing to repaint before the main window exists.
void gf_repaintMainWindow()
{
    if (HWND window = g_hMainWnd.load())
    {
        InvalidateRect(window, nullptr, TRUE);
    }
}

} // namespace ovr
