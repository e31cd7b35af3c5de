// Window state: visibility, enabling, text, geometry and placement. Calls that
// change a window run on its owner thread (marshalled and waited for when made
// elsewhere), the way Windows forwards them as messages.
#include "platform/kernel/last_error.h"
#include "platform/win/monitors.h"
#include "platform/win/presenter.h"
#include "platform/win/window_registry.h"

namespace ovr::win
{

namespace
{
// Where Windows parks a minimised top-level window.
constexpr RECT minimisedRect{-32000, -32000, -32000 + 160, -32000 + 28};

// Opens the display window the first time a top-level window is shown.
void attachPresenter(HWND hwnd)
{
    PresenterSetup setup;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr || w->parent != nullptr || w->presenterTried)
        {
            return;
        }
        w->presenterTried = true;
        setup.window = hwnd;
        setup.framebuffer = w->framebuffer;
        setup.rect = w->rect;
        setup.title = w->text;
        setup.topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
    }
    auto presenter = openPresenter(setup);
    std::lock_guard lock(registry().mutex);
    if (Window* w = windowLocked(hwnd))
    {
        w->presenter = std::move(presenter);
    }
}

Presenter* presenterOf(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? nullptr : w->presenter.get();
}

RECT screenRectLocked(const Window& w)
{
    if (w.parent == nullptr)
    {
        return w.rect;
    }
    const Window* top = windowLocked(topLevelLocked(w));
    POINT o = originInTopLevelLocked(w);
    RECT client = clientRectLocked(w);
    LONG left = (top != nullptr ? top->rect.left : 0) + o.x;
    LONG topY = (top != nullptr ? top->rect.top : 0) + o.y;
    return RECT{left, topY, left + client.right, topY + client.bottom};
}

BOOL readRect(HWND hwnd, LPRECT rect, RECT (*read)(const Window&))
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr || rect == nullptr)
    {
        return FALSE;
    }
    *rect = read(*w);
    return TRUE;
}

LRESULT showOnOwner(HWND hwnd, int cmd)
{
    bool wasVisible = false;
    bool visible = false;
    bool topLevel = false;
    RECT rect{};
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return 0;
        }
        wasVisible = (w->style & WS_VISIBLE) != 0;
        topLevel = w->parent == nullptr;
        if (cmd == SW_HIDE)
        {
            if (Window* p = windowLocked(w->parent); p != nullptr && wasVisible)
            {
                invalidateLocked(*p, &w->rect, true, wake);
            }
            w->style &= ~WS_VISIBLE;
        }
        else
        {
            bool restore = cmd == SW_SHOWNORMAL || cmd == SW_RESTORE;
            bool minimise = cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE;
            bool maximise = cmd == SW_SHOWMAXIMIZED;
            if (topLevel && (minimise || maximise) && w->showCmd == SW_SHOWNORMAL)
            {
                w->normalRect = w->rect;
            }
            if (topLevel && minimise)
            {
                w->showCmd = SW_SHOWMINIMIZED;
                w->rect = minimisedRect;
            }
            else if (topLevel && maximise)
            {
                w->showCmd = SW_SHOWMAXIMIZED;
                w->rect = nearestWorkArea(w->normalRect);
            }
            else if (topLevel && restore && w->showCmd != SW_SHOWNORMAL)
            {
                w->showCmd = SW_SHOWNORMAL;
                w->rect = w->normalRect;
            }
            w->style |= WS_VISIBLE;
            if (!wasVisible)
            {
                invalidateLocked(*w, nullptr, true, wake);
            }
        }
        visible = (w->style & WS_VISIBLE) != 0;
        rect = w->rect;
    }
    wakeAll(wake);
    if (topLevel)
    {
        if (visible)
        {
            attachPresenter(hwnd);
        }
        if (Presenter* p = presenterOf(hwnd))
        {
            p->move(rect.left, rect.top);
            p->setVisible(visible);
        }
    }
    return wasVisible ? TRUE : FALSE;
}

LRESULT setPosOnOwner(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    bool topLevel = false;
    bool topmostChanged = false;
    bool topmost = false;
    RECT rect{};
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return FALSE;
        }
        topLevel = w->parent == nullptr;
        RECT old = w->rect;
        if ((flags & SWP_NOMOVE) == 0)
        {
            w->rect = offsetBy(w->rect, x - w->rect.left, y - w->rect.top);
        }
        if ((flags & SWP_NOSIZE) == 0 && !topLevel)
        {
            // A top-level window keeps its framebuffer size: it is fixed.
            w->rect.right = w->rect.left + std::max(cx, 0);
            w->rect.bottom = w->rect.top + std::max(cy, 0);
        }
        if ((flags & SWP_NOZORDER) == 0 && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST))
        {
            DWORD before = w->exStyle;
            if (insertAfter == HWND_TOPMOST)
            {
                w->exStyle |= WS_EX_TOPMOST;
            }
            else
            {
                w->exStyle &= ~WS_EX_TOPMOST;
            }
            topmostChanged = before != w->exStyle;
        }
        topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
        if (topLevel && w->showCmd == SW_SHOWNORMAL)
        {
            w->normalRect = w->rect;
        }
        if (!topLevel && !sameRect(old, w->rect))
        {
            if (Window* p = windowLocked(w->parent))
            {
                invalidateLocked(*p, &old, true, wake);
                invalidateLocked(*p, &w->rect, true, wake);
            }
        }
        rect = w->rect;
    }
    wakeAll(wake);
    if (Presenter* p = topLevel ? presenterOf(hwnd) : nullptr)
    {
        p->move(rect.left, rect.top);
        if (topmostChanged)
        {
            p->setTopmost(topmost);
        }
    }
    if ((flags & SWP_SHOWWINDOW) != 0)
    {
        showOnOwner(hwnd, SW_SHOW);
    }
    return TRUE;
}
} // namespace

} // namespace ovr::win

using namespace ovr::win;

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    return static_cast<BOOL>(runOnOwner(hwnd, [=] { return showOnOwner(hwnd, cmdShow); }));
}

BOOL IsWindow(HWND hwnd) { return hwnd != nullptr && findWindow(hwnd) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w != nullptr && isVisibleLocked(*w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    return static_cast<BOOL>(runOnOwner(hwnd, [=]() -> LRESULT {
        bool wasDisabled = false;
        {
            std::lock_guard lock(registry().mutex);
            Window* w = windowLocked(hwnd);
            if (w == nullptr)
            {
                return FALSE;
            }
            wasDisabled = (w->style & WS_DISABLED) != 0;
            if (enable != FALSE)
            {
                w->style &= ~WS_DISABLED;
            }
            else
            {
                w->style |= WS_DISABLED;
            }
        }
        if (wasDisabled == (enable != FALSE))
        {
            SendMessageW(hwnd, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return wasDisabled ? TRUE : FALSE;
    }));
}

HWND GetDlgItem(HWND parent, int id)
{
    std::lock_guard lock(registry().mutex);
    Window* p = windowLocked(parent);
    if (p == nullptr)
    {
        ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND h : p->children)
    {
        Window* c = windowLocked(h);
        if (c != nullptr && c->id == id)
        {
            return h;
        }
    }
    ovr::kernel::setLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? 0 : w->id;
}

HWND GetParent(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? nullptr : w->parent;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0)
    {
        return 0;
    }
    buffer[0] = 0;
    return static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL CheckDlgButton(HWND parent, int id, UINT check)
{
    HWND button = GetDlgItem(parent, id);
    if (button == nullptr)
    {
        return FALSE;
    }
    SendMessageW(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND parent, int id)
{
    HWND button = GetDlgItem(parent, id);
    return button == nullptr ? 0 : static_cast<UINT>(SendMessageW(button, BM_GETCHECK, 0, 0));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) { return readRect(hwnd, rect, screenRectLocked); }

BOOL GetClientRect(HWND hwnd, LPRECT rect) { return readRect(hwnd, rect, clientRectLocked); }

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr || placement == nullptr)
    {
        return FALSE;
    }
    placement->flags = 0;
    placement->showCmd = static_cast<UINT>((w->style & WS_VISIBLE) == 0 ? SW_HIDE : w->showCmd);
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    placement->rcNormalPosition = w->parent == nullptr ? w->normalRect : screenRectLocked(*w);
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return static_cast<BOOL>(
        runOnOwner(hwnd, [=] { return setPosOnOwner(hwnd, insertAfter, x, y, cx, cy, flags); }));
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    RECT r;
    if (point == nullptr || !GetWindowRect(hwnd, &r))
    {
        return FALSE;
    }
    point->x += r.left;
    point->y += r.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    RECT r;
    if (point == nullptr || !GetWindowRect(hwnd, &r))
    {
        return FALSE;
    }
    point->x -= r.left;
    point->y -= r.top;
    return TRUE;
}

// Icons and cursors are never drawn by the stand-in; any id yields a handle.
HICON LoadIconW(HINSTANCE /*instance*/, LPCWSTR name)
{
    return reinterpret_cast<HICON>(0x7F000000u | (reinterpret_cast<std::uintptr_t>(name) & 0xFFFF));
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) { return LoadIconW(instance, name); }

HMODULE GetModuleHandleW(LPCWSTR /*moduleName*/) { return reinterpret_cast<HMODULE>(std::uintptr_t{0x400000}); }
