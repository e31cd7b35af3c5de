#include "core/app_window.h"

namespace ovr
{

std::atomic<HWND> g_hMainWnd{nullptr};
std::atomic<HWND> g_hWnd{nullptr};
std::atomic<bool> g_production{false};
std::atomic<std::int32_t> g_quitCode{0};
std::jthread g_startUpThread;

void gf_repaintRect(const RECT& rect)
{
    if (HWND window = g_hMainWnd.load())
    {
        InvalidateRect(window, &rect, TRUE);
    }
}

} // namespace ovr
