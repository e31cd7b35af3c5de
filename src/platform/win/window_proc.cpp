// Default message handling, subclassing and the window longs.
#include "platform/kernel/last_error.h"
#include "platform/win/gdi32.h"
#include "platform/win/presenter.h"
#include "platform/win/utf16.h"
#include "platform/win/window_registry.h"

#include <algorithm>
#include <utility>

namespace ovr::win
{

namespace
{

LRESULT setText(HWND hwnd, LPARAM lParam)
{
    auto text = reinterpret_cast<LPCWSTR>(lParam);
    std::wstring value = text != nullptr ? std::wstring(text, unitLength(text)) : std::wstring();
    Presenter* presenter = nullptr;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return FALSE;
        }
        w->text = value;
        presenter = w->presenter.get();
    }
    if (presenter != nullptr)
    {
        presenter->setTitle(value);
    }
    return TRUE;
}

LRESULT getText(HWND hwnd, WPARAM capacity, LPARAM lParam)
{
    auto buffer = reinterpret_cast<LPWSTR>(lParam);
    if (buffer == nullptr || capacity == 0)
    {
        return 0;
    }
    std::wstring text = storedText(hwnd);
    std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

LRESULT colourDefaults(WPARAM hdcParam, int background)
{
    auto hdc = reinterpret_cast<HDC>(hdcParam);
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

LRESULT eraseBackground(HWND hwnd, WPARAM hdcParam)
{
    HBRUSH background = nullptr;
    RECT client{};
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return 0;
        }
        background = w->windowClass->background;
        client = clientRectLocked(*w);
    }
    if (background == nullptr)
    {
        return 0;
    }
    FillRect(reinterpret_cast<HDC>(hdcParam), &client, background);
    return 1;
}
} // namespace

} // namespace ovr::win

using namespace ovr::win;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return eraseBackground(hwnd, wParam);
    case WM_SETTEXT:
        return setText(hwnd, lParam);
    case WM_GETTEXT:
        return getText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(storedText(hwnd).size());
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return colourDefaults(wParam, COLOR_WINDOW);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return colourDefaults(wParam, COLOR_BTNFACE);
    case WM_MOUSEWHEEL:
        // An unhandled wheel goes up to the parent, as on Windows.
        if (HWND parent = GetParent(hwnd))
        {
            return SendMessageW(parent, msg, wParam, lParam);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc != nullptr ? proc(hwnd, msg, wParam, lParam) : 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    ovr::kernel::setLastError(0);
    switch (index)
    {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(std::exchange(w->proc, reinterpret_cast<WNDPROC>(value)));
    case GWLP_USERDATA:
        return std::exchange(w->userData, value);
    case GWLP_ID:
        return std::exchange(w->id, static_cast<int>(value));
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(std::exchange(w->instance, reinterpret_cast<HINSTANCE>(value)));
    case GWL_STYLE:
        return static_cast<LONG_PTR>(std::exchange(w->style, static_cast<DWORD>(value)));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(std::exchange(w->exStyle, static_cast<DWORD>(value)));
    default:
        ovr::kernel::setLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index)
    {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_ID:
        return w->id;
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->exStyle);
    default:
        ovr::kernel::setLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}
