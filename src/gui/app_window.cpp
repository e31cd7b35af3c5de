#include "gui/app_window.h"

namespace ovr
{

std::atomic<HWND> g_hMainWnd{nullptr};
std::atomic<HWND> g_hWnd{nullptr};
std::atomic<std::int32_t> g_quitCode{0};
std::atomic<std::uint8_t> g_closeClicked{0};

void gf_repaintRect(const RECT& rect)
{
    if (HWND window = g_hMainWnd.load())
    {
        InvalidateRect(window, &rect, TRUE);
    }
}

void gf_repaintWindowPart(WindowPart part)
{
    switch (part)
    {
    case WindowPart::whole:
        if (HWND window = g_hMainWnd.load())
        {
            InvalidateRect(window, nullptr, TRUE);
        }
        break;
    case WindowPart::topPanel:
        gf_repaintRect(kTopPanelRect);
        break;
    }
}

} // namespace ovr
