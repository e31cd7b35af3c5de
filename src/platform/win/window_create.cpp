// Window classes, window creation and destruction.
#include "platform/kernel/last_error.h"
#include "platform/win/message_sources.h"
#include "platform/win/presenter.h"
#include "platform/win/utf16.h"
#include "platform/win/window_registry.h"

#include <algorithm>

namespace ovr::win
{

namespace
{

std::shared_ptr<WindowClass> findClassLocked(LPCWSTR name)
{
    auto& classes = registry().classes;
    if (IS_INTRESOURCE(name))
    {
        auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
        for (auto& c : classes)
        {
            if (c->atom == atom)
            {
                return c;
            }
        }
        return nullptr;
    }
    std::wstring_view wanted(name, unitLength(name));
    // The program's own classes come before the system ones of the same name.
    std::shared_ptr<WindowClass> system;
    for (auto& c : classes)
    {
        if (equalsNoCase(c->name, wanted))
        {
            if (!c->system)
            {
                return c;
            }
            system = c;
        }
    }
    return system;
}

// Windows that are being created or destroyed must not be looked at by the
// other thread's message loop half-built, so insertion happens in one step.
HWND insertWindow(std::shared_ptr<Window> w)
{
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    w->handle = reg.newHandle();
    if (w->parent != nullptr)
    {
        if (Window* p = windowLocked(w->parent))
        {
            p->children.push_back(w->handle);
        }
    }
    else
    {
        reg.topLevels.push_back(w->handle);
    }
    HWND h = w->handle;
    reg.windows.emplace(h, std::move(w));
    return h;
}

void removeWindow(HWND hwnd)
{
    std::shared_ptr<Window> gone;
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    {
        auto& reg = registry();
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(hwnd);
        if (it == reg.windows.end())
        {
            return;
        }
        gone = it->second;
        if (Window* p = windowLocked(gone->parent))
        {
            std::erase(p->children, hwnd);
            // What the window covered shows its parent again.
            if ((gone->style & WS_VISIBLE) != 0)
            {
                invalidateLocked(*p, &gone->rect, true, wake);
            }
        }
        std::erase(reg.topLevels, hwnd);
        reg.windows.erase(it);
    }
    if (auto q = currentQueue())
    {
        if (q->focus == hwnd)
        {
            q->focus = nullptr;
        }
        if (q->capture == hwnd)
        {
            q->capture = nullptr;
        }
    }
    wakeAll(wake);
    // control state and presenter are released here, outside the lock
}
} // namespace

} // namespace ovr::win

using namespace ovr::win;

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == 0)
    {
        ovr::kernel::setLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    std::wstring_view name(wc->lpszClassName, unitLength(wc->lpszClassName));
    for (auto& c : reg.classes)
    {
        if (!c->system && equalsNoCase(c->name, name))
        {
            ovr::kernel::setLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto c = std::make_shared<WindowClass>();
    c->name = std::wstring(name);
    c->atom = reg.newAtom();
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->background = wc->hbrBackground;
    c->instance = wc->hInstance;
    reg.classes.push_back(c);
    return c->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE /*instance*/)
{
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    auto c = findClassLocked(className);
    if (!c || c->system)
    {
        ovr::kernel::setLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    std::erase(reg.classes, c);
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    auto w = std::make_shared<Window>();
    {
        std::lock_guard lock(registry().mutex);
        w->windowClass = className != nullptr ? findClassLocked(className) : nullptr;
        if (!w->windowClass)
        {
            ovr::kernel::setLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (parent != nullptr && windowLocked(parent) == nullptr)
        {
            ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    const bool child = (style & WS_CHILD) != 0;
    if (child && parent == nullptr)
    {
        ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (x == CW_USEDEFAULT)
    {
        x = y = 100;
    }
    if (width == CW_USEDEFAULT)
    {
        width = 640;
        height = 480;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    w->owner = ensureCurrentQueue();
    w->parent = child ? parent : nullptr;
    w->id = child ? static_cast<int>(reinterpret_cast<std::intptr_t>(menu)) : 0;
    w->style = style;
    w->exStyle = exStyle;
    w->rect = RECT{x, y, x + width, y + height};
    w->normalRect = w->rect;
    w->text = windowName != nullptr ? std::wstring(windowName, unitLength(windowName)) : std::wstring();
    w->proc = w->windowClass->proc;
    w->instance = instance;
    if (!child)
    {
        // The top-level window's size is its client size: the picture the
        // program paints is exactly this framebuffer.
        w->framebuffer = std::make_shared<Image>(std::max(width, 1), std::max(height, 1));
    }
    HWND hwnd = insertWindow(w);

    CREATESTRUCTW cs{param,  instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    if (SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0)
    {
        removeWindow(hwnd);
        return nullptr;
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0)
    {
        if (child)
        {
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        else
        {
            ShowWindow(hwnd, SW_SHOW);
        }
    }
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    auto w = findWindow(hwnd);
    if (!w)
    {
        ovr::kernel::setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!w->owner->isCurrent())
    {
        // As on Windows, only the owning thread destroys a window.
        ovr::kernel::setLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->parent == nullptr)
    {
        screenshotFinal(*w->owner);
    }
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard lock(registry().mutex);
        children = w->children;
    }
    for (HWND c : children)
    {
        DestroyWindow(c);
    }
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    removeWindow(hwnd);
    return TRUE;
}
