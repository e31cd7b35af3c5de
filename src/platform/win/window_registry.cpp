#include "platform/win/window_registry.h"

#include "platform/win/controls/controls.h"
#include "platform/win/message_queue.h"
#include "platform/win/presenter.h"

#include <algorithm>
#include <utility>

namespace ovr::win
{

Window::~Window() = default;

HWND Registry::newHandle()
{
    std::uintptr_t value = nextHandle_;
    nextHandle_ += 4;
    return reinterpret_cast<HWND>(value);
}

Registry::Registry() { registerSystemClasses(*this); }

Registry& registry()
{
    static Registry r;
    return r;
}

Window* windowLocked(HWND hwnd)
{
    auto& reg = registry();
    auto it = reg.windows.find(hwnd);
    return it == reg.windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<Window> findWindow(HWND hwnd)
{
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    auto it = reg.windows.find(hwnd);
    return it == reg.windows.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadQueue> ownerOf(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? nullptr : w->owner;
}

RECT clientRectLocked(const Window& w) { return RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top}; }

HWND topLevelLocked(const Window& w)
{
    const Window* at = &w;
    while (at->parent != nullptr)
    {
        const Window* up = windowLocked(at->parent);
        if (up == nullptr)
        {
            break;
        }
        at = up;
    }
    return at->handle;
}

POINT originInTopLevelLocked(const Window& w)
{
    POINT o{0, 0};
    const Window* at = &w;
    while (at->parent != nullptr)
    {
        o.x += at->rect.left;
        o.y += at->rect.top;
        at = windowLocked(at->parent);
        if (at == nullptr)
        {
            break;
        }
    }
    return o;
}

RECT visibleAreaLocked(const Window& w)
{
    POINT o = originInTopLevelLocked(w);
    RECT area = offsetBy(clientRectLocked(w), o.x, o.y);
    const Window* at = &w;
    while (at->parent != nullptr)
    {
        at = windowLocked(at->parent);
        if (at == nullptr)
        {
            break;
        }
        POINT po = originInTopLevelLocked(*at);
        area = intersection(area, offsetBy(clientRectLocked(*at), po.x, po.y));
    }
    return area;
}

bool isVisibleLocked(const Window& w)
{
    for (const Window* at = &w; at != nullptr; at = at->parent ? windowLocked(at->parent) : nullptr)
    {
        if ((at->style & WS_VISIBLE) == 0)
        {
            return false;
        }
    }
    return true;
}

bool isEnabledLocked(const Window& w)
{
    for (const Window* at = &w; at != nullptr; at = at->parent ? windowLocked(at->parent) : nullptr)
    {
        if ((at->style & WS_DISABLED) != 0)
        {
            return false;
        }
    }
    return true;
}

void invalidateLocked(Window& w, const RECT* rect, bool erase, std::vector<std::shared_ptr<ThreadQueue>>& wake)
{
    if (!isVisibleLocked(w))
    {
        return;
    }
    RECT client = clientRectLocked(w);
    RECT r = rect != nullptr ? intersection(*rect, client) : client;
    if (isEmpty(r))
    {
        return;
    }
    w.update.add(r);
    w.erase = w.erase || erase;
    if (std::find(wake.begin(), wake.end(), w.owner) == wake.end())
    {
        wake.push_back(w.owner);
    }
    if ((w.style & WS_CLIPCHILDREN) != 0)
    {
        return;
    }
    // Without WS_CLIPCHILDREN the parent paints over its children, so they
    // must repaint after it.
    for (HWND h : w.children)
    {
        if (Window* child = windowLocked(h))
        {
            RECT inChild = offsetBy(r, -child->rect.left, -child->rect.top);
            invalidateLocked(*child, &inChild, erase, wake);
        }
    }
}

namespace
{
void collectPaintOrder(Window& w, std::vector<Window*>& order, std::vector<Window*>& overlays)
{
    order.push_back(&w);
    for (HWND h : w.children)
    {
        if (Window* child = windowLocked(h))
        {
            if (child->overlay)
            {
                overlays.push_back(child);
            }
            else
            {
                collectPaintOrder(*child, order, overlays);
            }
        }
    }
}

HWND hitChildren(Window& parent, POINT pt, bool overlays)
{
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it)
    {
        Window* child = windowLocked(*it);
        if (child == nullptr || child->overlay != overlays || (child->style & WS_VISIBLE) == 0 ||
            !containsPoint(child->rect, pt.x, pt.y))
        {
            continue;
        }
        POINT inner{pt.x - child->rect.left, pt.y - child->rect.top};
        HWND deeper = hitChildren(*child, inner, false);
        return deeper != nullptr ? deeper : child->handle;
    }
    return nullptr;
}
} // namespace

std::vector<Window*> paintOrderLocked(Window& topLevel)
{
    std::vector<Window*> order;
    std::vector<Window*> overlays;
    collectPaintOrder(topLevel, order, overlays);
    for (Window* o : overlays)
    {
        collectPaintOrder(*o, order, overlays);
    }
    return order;
}

HWND hitTestLocked(Window& topLevel, POINT point)
{
    if (HWND over = hitChildren(topLevel, point, true))
    {
        return over;
    }
    if (HWND child = hitChildren(topLevel, point, false))
    {
        return child;
    }
    return containsPoint(clientRectLocked(topLevel), point.x, point.y) ? topLevel.handle : nullptr;
}

LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = nullptr;
    {
        std::lock_guard lock(registry().mutex);
        if (Window* w = windowLocked(hwnd))
        {
            proc = w->proc;
        }
    }
    return proc != nullptr ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT runOnOwner(HWND hwnd, const std::function<LRESULT()>& fn)
{
    auto owner = ownerOf(hwnd);
    return owner ? runOnThread(owner, fn) : 0;
}

void wakeAll(const std::vector<std::shared_ptr<ThreadQueue>>& queues)
{
    for (const auto& q : queues)
    {
        {
            std::lock_guard lock(q->mutex);
            q->markBusyLocked();
        }
        q->wake();
    }
}

std::wstring storedText(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    return w == nullptr ? std::wstring() : w->text;
}

void setStoredText(HWND hwnd, std::wstring text)
{
    std::lock_guard lock(registry().mutex);
    if (Window* w = windowLocked(hwnd))
    {
        w->text = std::move(text);
    }
}

void setWindowSize(HWND hwnd, int width, int height)
{
    std::lock_guard lock(registry().mutex);
    if (Window* w = windowLocked(hwnd))
    {
        w->rect.right = w->rect.left + width;
        w->rect.bottom = w->rect.top + height;
    }
}

void markOverlay(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    if (Window* w = windowLocked(hwnd))
    {
        w->overlay = true;
    }
}

void attachControl(HWND hwnd, std::unique_ptr<ControlState> state)
{
    std::unique_ptr<ControlState> old;
    std::lock_guard lock(registry().mutex);
    if (Window* w = windowLocked(hwnd))
    {
        old = std::exchange(w->control, std::move(state));
    }
}

const WindowClass* classOfLocked(const Window& w) { return w.windowClass.get(); }

void forgetWindowsOf(const ThreadQueue* queue)
{
    std::vector<std::shared_ptr<Window>> dropped;
    {
        auto& reg = registry();
        std::lock_guard lock(reg.mutex);
        for (auto it = reg.windows.begin(); it != reg.windows.end();)
        {
            if (it->second->owner.get() == queue)
            {
                dropped.push_back(it->second);
                it = reg.windows.erase(it);
            }
            else
            {
                ++it;
            }
        }
        std::erase_if(reg.topLevels, [&](HWND h) { return reg.windows.count(h) == 0; });
        for (auto& [h, w] : reg.windows)
        {
            std::erase_if(w->children, [&](HWND c) { return reg.windows.count(c) == 0; });
        }
    }
    // Control state and presenters go away here, outside the lock.
    dropped.clear();
}

} // namespace ovr::win
