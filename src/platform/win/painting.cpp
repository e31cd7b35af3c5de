// Update regions and the paint cycle. InvalidateRect may come from any thread:
// it only adds to regions and wakes the owner, which later synthesises one
// WM_PAINT per window however many invalidations arrived. BeginPaint hands out
// a DC clipped to the update region, so a full-window BitBlt in the painter
// touches only what was invalid.
#include "platform/win/gdi/gdi_objects.h"
#include "platform/win/gdi/paint_record.h"
#include "platform/win/message_sources.h"
#include "platform/win/window_registry.h"

namespace ovr::win
{

HWND windowNeedingPaint(const ThreadQueue& q, HWND filter)
{
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    for (HWND top : reg.topLevels)
    {
        Window* w = windowLocked(top);
        if (w == nullptr || w->owner.get() != &q || !isVisibleLocked(*w))
        {
            continue;
        }
        for (Window* candidate : paintOrderLocked(*w))
        {
            if (candidate->update.empty() || !isVisibleLocked(*candidate))
            {
                continue;
            }
            bool matches = filter == nullptr;
            for (Window* up = candidate; !matches && up != nullptr; up = windowLocked(up->parent))
            {
                matches = up->handle == filter;
            }
            if (matches)
            {
                return candidate->handle;
            }
        }
    }
    return nullptr;
}

} // namespace ovr::win

using namespace ovr::win;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    {
        auto& reg = registry();
        std::lock_guard lock(reg.mutex);
        if (hwnd == nullptr)
        {
            for (HWND top : reg.topLevels)
            {
                if (Window* w = windowLocked(top))
                {
                    invalidateLocked(*w, nullptr, erase != FALSE, wake);
                }
            }
        }
        else
        {
            Window* w = windowLocked(hwnd);
            if (w == nullptr)
            {
                return FALSE;
            }
            invalidateLocked(*w, rect, erase != FALSE, wake);
        }
    }
    wakeAll(wake);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        return FALSE;
    }
    if (rect == nullptr)
    {
        w->update.clear();
        w->erase = false;
    }
    else
    {
        // Only a fully covered piece can be dropped from a rectangle list.
        RectRegion keep;
        for (const RECT& r : w->update.rects())
        {
            if (!sameRect(intersection(r, *rect), r))
            {
                keep.add(r);
            }
        }
        w->update = keep;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL /*erase*/)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        return FALSE;
    }
    if (rect != nullptr)
    {
        *rect = w->update.bounds();
    }
    return w->update.empty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    if (ps == nullptr)
    {
        return nullptr;
    }
    *ps = PAINTSTRUCT{};
    RectRegion region;
    bool erase = false;
    POINT origin{0, 0};
    RectRegion clip;
    std::shared_ptr<Image> surface;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return nullptr;
        }
        region = std::move(w->update);
        w->update.clear();
        erase = w->erase;
        w->erase = false;
        ++w->paintCount;
        Window* top = windowLocked(topLevelLocked(*w));
        origin = originInTopLevelLocked(*w);
        if (top != nullptr && top->framebuffer && isVisibleLocked(*w))
        {
            surface = top->framebuffer;
            clip = region.offset(origin.x, origin.y).clippedTo(visibleAreaLocked(*w));
            top->dirty = unionOf(top->dirty, clip.bounds());
            ++top->frameVersion;
        }
        else
        {
            surface = std::make_shared<Image>(1, 1); // nothing to show: draw nowhere
        }
    }
    HDC hdc = createWindowDc(hwnd, surface, origin, clip);
    paint_record::beginPaint(hwnd);
    ps->hdc = hdc;
    ps->rcPaint = region.bounds();
    if (erase)
    {
        ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0 ? TRUE : FALSE;
    }
    return hdc;
}

BOOL EndPaint(HWND /*hwnd*/, const PAINTSTRUCT* ps)
{
    paint_record::endPaint();
    if (ps != nullptr)
    {
        removeDc(ps->hdc);
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    std::vector<HWND> pending;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        if (w == nullptr)
        {
            return FALSE;
        }
        for (Window* at : paintOrderLocked(*w))
        {
            if (!at->update.empty() && isVisibleLocked(*at))
            {
                pending.push_back(at->handle);
            }
        }
    }
    for (HWND h : pending)
    {
        // The window procedure may have painted a child already.
        RECT r;
        if (GetUpdateRect(h, &r, FALSE))
        {
            MSG m{h, WM_PAINT, 0, 0, messageTime(), {0, 0}, 0};
            runOnOwner(h, [&] { return DispatchMessageW(&m); });
        }
    }
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    if (hwnd == nullptr)
    {
        return CreateCompatibleDC(nullptr);
    }
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        return nullptr;
    }
    Window* top = windowLocked(topLevelLocked(*w));
    if (top == nullptr || !top->framebuffer)
    {
        return nullptr;
    }
    ++top->frameVersion;
    top->dirty = unionOf(top->dirty, visibleAreaLocked(*w));
    return createWindowDc(hwnd, top->framebuffer, originInTopLevelLocked(*w), RectRegion(visibleAreaLocked(*w)));
}

int ReleaseDC(HWND /*hwnd*/, HDC hdc) { return removeDc(hdc) ? 1 : 0; }
