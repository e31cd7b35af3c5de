// Input routing: mouse input goes to the capturing window or the window under
// the pointer, keys to the focus window; disabled windows take none of it.
// Focus and capture belong to the thread, as in USER32.
#include "platform/win/message_sources.h"
#include "platform/win/window_registry.h"

#include <utility>

namespace ovr::win
{

std::optional<MSG> translateInput(const ThreadQueue& q, const InputEvent& e)
{
    std::lock_guard lock(registry().mutex);
    Window* top = windowLocked(e.topLevel);
    if (top == nullptr)
    {
        return std::nullopt;
    }
    MSG m{};
    m.time = messageTime();
    if (e.kind == InputKind::KeyDown || e.kind == InputKind::KeyUp)
    {
        Window* target = q.focus != nullptr ? windowLocked(q.focus) : nullptr;
        if (target == nullptr)
        {
            target = top;
        }
        if (!isEnabledLocked(*target))
        {
            return std::nullopt;
        }
        m.hwnd = target->handle;
        m.message = e.kind == InputKind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
        m.wParam = e.key;
        m.lParam = e.kind == InputKind::KeyDown ? 1 : static_cast<LPARAM>(0xC0000001u);
        m.lPrivate = e.kind == InputKind::KeyDown ? static_cast<DWORD>(e.character) : 0;
        return m;
    }
    Window* target = q.capture != nullptr ? windowLocked(q.capture) : nullptr;
    if (target == nullptr)
    {
        target = windowLocked(hitTestLocked(*top, e.point));
    }
    if (target == nullptr || !isEnabledLocked(*target) || !isVisibleLocked(*target))
    {
        return std::nullopt;
    }
    POINT o = originInTopLevelLocked(*target);
    auto x = static_cast<WORD>(static_cast<short>(e.point.x - o.x));
    auto y = static_cast<WORD>(static_cast<short>(e.point.y - o.y));
    m.hwnd = target->handle;
    m.pt = POINT{top->rect.left + e.point.x, top->rect.top + e.point.y};
    switch (e.kind)
    {
    case InputKind::ButtonDown:
        m.message = WM_LBUTTONDOWN;
        m.wParam = 1; // MK_LBUTTON
        m.lParam = MAKELPARAM(x, y);
        break;
    case InputKind::ButtonUp:
        m.message = WM_LBUTTONUP;
        m.lParam = MAKELPARAM(x, y);
        break;
    default:
        m.message = WM_MOUSEWHEEL;
        m.wParam = MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(e.wheelDelta)));
        m.lParam = MAKELPARAM(static_cast<WORD>(static_cast<short>(m.pt.x)), static_cast<WORD>(static_cast<short>(m.pt.y)));
        break;
    }
    return m;
}

bool injectInput(const InputEvent& e)
{
    auto q = ownerOf(e.topLevel);
    if (!q)
    {
        return false;
    }
    {
        std::lock_guard lock(q->mutex);
        q->input.push_back(e);
        q->markBusyLocked();
    }
    q->wake();
    return true;
}

} // namespace ovr::win

using namespace ovr::win;

HWND SetFocus(HWND hwnd)
{
    auto q = ensureCurrentQueue();
    if (hwnd != nullptr && ownerOf(hwnd) != q)
    {
        return nullptr; // focus is per thread; another thread's window cannot take it from here
    }
    HWND old = q->focus;
    if (old == hwnd)
    {
        return old;
    }
    q->focus = hwnd;
    if (old != nullptr && IsWindow(old))
    {
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    if (hwnd != nullptr)
    {
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND GetFocus()
{
    auto q = currentQueue();
    return q ? q->focus : nullptr;
}

HWND SetCapture(HWND hwnd)
{
    auto q = ensureCurrentQueue();
    return std::exchange(q->capture, hwnd);
}

BOOL ReleaseCapture()
{
    if (auto q = currentQueue())
    {
        q->capture = nullptr;
    }
    return TRUE;
}

HWND GetCapture()
{
    auto q = currentQueue();
    return q ? q->capture : nullptr;
}
