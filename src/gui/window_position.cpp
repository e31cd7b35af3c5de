#include "gui/window_position.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <pugixml.hpp>

#include "core/parameters.h"
#include "core/parameters_file.h"
#include "gui/app_window.h"
#include "gui/main_window_state.h"

namespace ovr
{

namespace
{

// The window-state object is built at static initialisation; the window is
// not created before it is complete.
constexpr auto kReadyTimeout = std::chrono::nanoseconds(999'999'999);
constexpr auto kReadyPoll = std::chrono::milliseconds(50);

bool lf_waitForWindowState()
{
    const auto start = std::chrono::steady_clock::now();
    while (!g_windowReady.load())
    {
        if (std::chrono::steady_clock::now() - start > kReadyTimeout)
        {
            return false;
        }
        std::this_thread::sleep_for(kReadyPoll);
    }
    return true;
}

void lf_setClamped(IntParameter& parameter, int value)
{
    parameter.current.store(parameter.clamp(value));
}

// A value clamped at the edge of its range is not a position the user chose.
bool lf_replaceEdgeValue(IntParameter& parameter, int fallback)
{
    const int value = parameter.current.load();
    if (value != parameter.minValue && value != parameter.maxValue)
    {
        return false;
    }
    lf_setClamped(parameter, fallback);
    gf_saveParameter(parameter);
    return true;
}

// The start of a span of `size` within [low, high] so that at least the
// margin of it stays inside.
int lf_keepInside(int start, int size, int low, int high)
{
    if (size > high - low)
    {
        start = low;
    }
    if (start + size < low + kOnScreenMargin)
    {
        start = low + kOnScreenMargin - size;
    }
    return std::min(start, high - kOnScreenMargin);
}

void lf_restoreFromFile(const pugi::xml_document& document)
{
    for (IntParameter* parameter : {&MAIN_WINDOW_X, &MAIN_WINDOW_Y})
    {
        const std::optional<std::int32_t> stored = gf_getParameter(document, parameter->name);
        lf_setClamped(*parameter, stored.value_or(parameter->defaultValue));
    }
    lf_fitWindowToMonitor(MAIN_WINDOW_X.defaultValue, MAIN_WINDOW_Y.defaultValue);
}

} // namespace

void lf_fitWindowToMonitor(int fallbackX, int fallbackY)
{
    lf_replaceEdgeValue(MAIN_WINDOW_X, fallbackX);
    lf_replaceEdgeValue(MAIN_WINDOW_Y, fallbackY);
    const int x = MAIN_WINDOW_X.current.load();
    const int y = MAIN_WINDOW_Y.current.load();

    // Before the window exists its size is the fixed one it will be made
    // with: an empty rectangle would push a position near the top or left
    // edge away from where the user left it.
    HWND window = g_hMainWnd.load();
    RECT rect{x, y, x + kMainWindowWidth, y + kMainWindowHeight};
    RECT current{};
    if (window != nullptr && GetWindowRect(window, &current))
    {
        rect = RECT{x, y, x + (current.right - current.left), y + (current.bottom - current.top)};
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
    {
        return;
    }
    const RECT& work = info.rcWork;
    const int left = lf_keepInside(rect.left, rect.right - rect.left, work.left, work.right);
    const int top = lf_keepInside(rect.top, rect.bottom - rect.top, work.top, work.bottom);
    if (left == rect.left && top == rect.top)
    {
        return;
    }
    lf_setClamped(MAIN_WINDOW_X, left);
    lf_setClamped(MAIN_WINDOW_Y, top);
    gf_saveParameter(MAIN_WINDOW_X);
    gf_saveParameter(MAIN_WINDOW_Y);
    if (window != nullptr)
    {
        SetWindowPos(window, nullptr, MAIN_WINDOW_X.current.load(), MAIN_WINDOW_Y.current.load(), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool initInstance(HINSTANCE instance, const std::wstring& title)
{
    if (!lf_waitForWindowState())
    {
        return false;
    }
    pugi::xml_document document;
    if (gf_loadParametersForStartUp(document))
    {
        lf_restoreFromFile(document);
    }
    HWND window = CreateWindowExW(0, title.c_str(), title.c_str(), WS_CAPTION | WS_SYSMENU,
                                  MAIN_WINDOW_X.current.load(), MAIN_WINDOW_Y.current.load(),
                                  kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    g_hMainWnd.store(window);
    if (window == nullptr)
    {
        return false;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
}

void lf_saveWindowPosition()
{
    HWND window = g_hMainWnd.load();
    RECT rect{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement) && (placement.showCmd == static_cast<UINT>(SW_SHOWMINIMIZED) ||
                                                   placement.showCmd == static_cast<UINT>(SW_SHOWMAXIMIZED)))
    {
        rect = placement.rcNormalPosition;
    }
    else if (!GetWindowRect(window, &rect))
    {
        return;
    }
    const int previousX = MAIN_WINDOW_X.current.load();
    const int previousY = MAIN_WINDOW_Y.current.load();
    lf_setClamped(MAIN_WINDOW_X, rect.left);
    lf_setClamped(MAIN_WINDOW_Y, rect.top);
    gf_saveParameter(MAIN_WINDOW_X);
    gf_saveParameter(MAIN_WINDOW_Y);
    lf_fitWindowToMonitor(previousX, previousY);
}

} // namespace ovr
