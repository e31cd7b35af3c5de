#include "gui/window_procedure.h"

#include <atomic>
#include <ctime>
#include <exception>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/time.h"
#include "gui/app_window.h"
#include "gui/main_window.h"
#include "gui/window_position.h"
#include "platform/win/gdi32.h"

namespace ovr
{

namespace
{

constexpr COLORREF kEditBackground = 0xFFCC99;

void lf_onClose()
{
    gf_setStatus(fmt::format("Close window button clicked, closing {} ...", g_programShortName), false);
    g_closeClicked.store(1);
    gf_requestUserClose();
}

std::atomic<StartMessageHandler> g_startMessageHandler{nullptr};

void lf_onStartMessage()
{
    if (StartMessageHandler handler = g_startMessageHandler.load())
    {
        handler();
    }
}

void lf_saveAndQuit()
{
    lf_saveWindowPosition();
    gf_log(gf_formatTime(static_cast<std::int64_t>(std::time(nullptr))));
    PostQuitMessage(g_quitCode.load());
}

LRESULT lf_paint(HWND window)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    // An exception must not leave a window procedure: it would end the
    // program from inside the message loop.
    try
    {
        lf_paintMainWindow(dc);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("Painting the window failed: {}", e.what()));
    }
    EndPaint(window, &ps);
    return 0;
}

LRESULT lf_editColours(WPARAM wParam)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kEditBackground);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

} // namespace

void gf_setStartMessageHandler(StartMessageHandler handler)
{
    g_startMessageHandler.store(handler);
}

LRESULT CALLBACK lf_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_hWnd.store(window);
    switch (message)
    {
    case WM_CREATE:
        lf_createControls(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        return lf_paint(window);
    case WM_CLOSE:
        lf_onClose();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        return lf_HandleWMCOMMAND(window, wParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return lf_editColours(wParam);
    case kStartUpMessage:
        lf_onStartMessage();
        return 0;
    case kSaveAndQuitMessage:
        lf_saveAndQuit();
        return 0;
    case kStatusRepaintMessage:
        InvalidateRect(window, &kStatusStripRect, FALSE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace ovr
