#include "platform/win/test_support.h"

#include "platform/win/controls/controls.h"
#include "platform/win/gdi/paint_record.h"
#include "platform/win/message_sources.h"
#include "platform/win/presenter.h"
#include "platform/win/screenshot.h"
#include "platform/win/utf16.h"
#include "platform/win/window_registry.h"

#include <fmt/format.h>

#include <fstream>
#include <thread>

namespace ovr::platform_test
{

namespace
{

using namespace ovr::win;

struct Placement
{
    HWND topLevel = nullptr;
    RECT area{0, 0, 0, 0}; // in the top-level client area
};

Placement placementOf(HWND hwnd)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(hwnd);
    if (w == nullptr)
    {
        return {};
    }
    POINT o = originInTopLevelLocked(*w);
    return Placement{topLevelLocked(*w), offsetBy(clientRectLocked(*w), o.x, o.y)};
}

POINT middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

HWND topLevelOf(HWND hwnd) { return placementOf(hwnd).topLevel; }

// After input: the caller's own windows are pumped, another thread's awaited.
void settle(HWND window)
{
    auto owner = ownerOf(window);
    if (!owner)
    {
        return;
    }
    if (owner->isCurrent())
    {
        pumpUntilIdle();
    }
    else
    {
        waitUntilIdle(window);
    }
}

void inject(HWND window, InputEvent e)
{
    e.topLevel = topLevelOf(window);
    injectInput(e);
}

void key(HWND window, WPARAM vk, WCHAR character)
{
    inject(window, InputEvent{InputKind::KeyDown, nullptr, {0, 0}, 0, vk, character});
    inject(window, InputEvent{InputKind::KeyUp, nullptr, {0, 0}, 0, vk, 0});
}

WPARAM keyFor(WCHAR c)
{
    if (c >= L'a' && c <= L'z')
    {
        return static_cast<WPARAM>(c - L'a' + L'A');
    }
    if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
    {
        return static_cast<WPARAM>(c);
    }
    switch (c)
    {
    case L' ':
        return VK_SPACE;
    case L'\r':
        return VK_RETURN;
    case 8:
        return VK_BACK;
    case L'\t':
        return VK_TAB;
    default:
        return VK_PACKET;
    }
}

template <typename Fn> auto onOwner(HWND window, Fn fn) -> decltype(fn())
{
    decltype(fn()) result{};
    runOnOwner(window, [&]() -> LRESULT {
        result = fn();
        return 0;
    });
    return result;
}

Presenter* presenterOf(HWND topLevel)
{
    std::lock_guard lock(registry().mutex);
    Window* w = windowLocked(topLevel);
    return w == nullptr ? nullptr : w->presenter.get();
}

std::string hex(COLORREF c) { return fmt::format("0x{:06X}", c); }

} // namespace

void reset()
{
    setHeadlessForced(true);
    auto q = ensureCurrentQueue();
    std::vector<HWND> mine;
    {
        auto& reg = registry();
        std::lock_guard lock(reg.mutex);
        for (HWND top : reg.topLevels)
        {
            if (Window* w = windowLocked(top); w != nullptr && w->owner == q)
            {
                mine.push_back(top);
            }
        }
    }
    for (HWND h : mine)
    {
        DestroyWindow(h);
    }
    {
        auto& reg = registry();
        std::lock_guard lock(reg.mutex);
        std::erase_if(reg.classes, [](const auto& c) { return !c->system; });
    }
    {
        std::lock_guard lock(q->mutex);
        q->posted.clear();
        q->input.clear();
        q->quitPosted = false;
        q->loopEnded = false;
    }
    q->focus = nullptr;
    q->capture = nullptr;
    paint_record::clear();
    clearMessageBoxes();
    setShellExecuteResult(std::nullopt);
    setMonitors({});
    setElevation(Elevation::System);
    setUnwritableFolders({});
    clearKnownFolders();
}

void allowDisplay(bool allowed) { setHeadlessForced(!allowed); }

PumpResult pumpUntilIdle()
{
    PumpResult result;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            result.quitCode = static_cast<int>(msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++result.dispatched;
    }
    return result;
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    auto q = ensureCurrentQueue();
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        pumpUntilIdle();
        if (done())
        {
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
        {
            return false;
        }
        std::vector<int> fds = displayFds(*q);
        q->wait(static_cast<int>(std::min<long long>(left.count(), 20)), fds);
    }
}

bool waitUntilIdle(HWND window, std::chrono::milliseconds timeout)
{
    auto q = ownerOf(window);
    if (!q)
    {
        return false;
    }
    if (q->isCurrent())
    {
        pumpUntilIdle();
        return true;
    }
    std::unique_lock lock(q->mutex);
    return q->idleChanged.wait_for(lock, timeout, [&] { return q->idle || q->loopEnded; });
}

std::size_t waitingCalls(HWND window)
{
    auto q = ownerOf(window);
    if (!q)
    {
        return 0;
    }
    std::lock_guard lock(q->mutex);
    return q->sent.size();
}

void click(HWND window)
{
    Placement p = placementOf(window);
    if (p.topLevel != nullptr)
    {
        clickAt(p.topLevel, middle(p.area));
    }
}

void queueClick(HWND topLevel, POINT clientPoint)
{
    injectInput(InputEvent{InputKind::ButtonDown, topLevel, clientPoint, 0, 0, 0});
    injectInput(InputEvent{InputKind::ButtonUp, topLevel, clientPoint, 0, 0, 0});
}

void clickAt(HWND topLevel, POINT clientPoint)
{
    queueClick(topLevel, clientPoint);
    settle(topLevel);
}

void wheel(HWND window, int notches)
{
    Placement p = placementOf(window);
    if (p.topLevel != nullptr)
    {
        injectInput(InputEvent{InputKind::Wheel, p.topLevel, middle(p.area), notches * WHEEL_DELTA, 0, 0});
        settle(window);
    }
}

void pressKey(HWND window, WPARAM virtualKey)
{
    WCHAR c = virtualKey == VK_RETURN ? 13 : virtualKey == VK_BACK ? 8 : virtualKey == VK_ESCAPE ? 27 : 0;
    key(window, virtualKey, c);
    settle(window);
}

void typeText(HWND window, std::string_view utf8)
{
    for (WCHAR c : unitsFromUtf8(utf8))
    {
        key(window, keyFor(c), c == L'\n' ? L'\r' : c);
    }
    settle(window);
}

void typeInto(HWND edit, std::string_view utf8)
{
    click(edit);
    typeText(edit, utf8);
}

bool chooseComboEntry(HWND combo, int index)
{
    auto view = [&] { return onOwner(combo, [&] { return comboListView(combo); }); };
    if (!IsWindow(combo) || index < 0 || index >= view().count)
    {
        return false;
    }
    if (view().list == nullptr)
    {
        click(combo);
    }
    for (int guard = 0; guard < 1000; ++guard)
    {
        ComboListView v = view();
        if (v.list == nullptr)
        {
            return false;
        }
        if (index < v.top)
        {
            wheel(v.list, 1);
        }
        else if (index >= v.top + v.visible)
        {
            wheel(v.list, -1);
        }
        else
        {
            Placement list = placementOf(v.list);
            const int itemHeight = comboItemHeight();
            POINT at{(list.area.left + list.area.right) / 2,
                     list.area.top + 1 + (index - v.top) * itemHeight + itemHeight / 2};
            clickAt(list.topLevel, at);
            return SendMessageW(combo, CB_GETCURSEL, 0, 0) == index;
        }
    }
    return false;
}

Image framebuffer(HWND topLevel)
{
    return onOwner(topLevel, [&] {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(topLevel);
        return w != nullptr && w->framebuffer ? *w->framebuffer : Image();
    });
}

std::vector<PaintCall> paintCalls() { return paint_record::calls(); }

void clearPaintCalls() { paint_record::clear(); }

std::vector<PaintCall> textsDrawn(std::string_view utf8)
{
    std::vector<PaintCall> out;
    for (auto& c : paint_record::calls())
    {
        if (c.kind == PaintCall::Kind::Text && c.text == utf8)
        {
            out.push_back(std::move(c));
        }
    }
    return out;
}

std::string describe(const PaintCall& c)
{
    const char* where = c.onWindow ? "window" : "bitmap";
    switch (c.kind)
    {
    case PaintCall::Kind::Fill:
        return fmt::format("{} fill ({},{})-({},{}) {}", where, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom,
                           hex(c.colour));
    case PaintCall::Kind::Text:
        return fmt::format("{} text ({},{}) {} on {} \"{}\"", where, c.rect.left, c.rect.top, hex(c.colour),
                           c.bkMode == 2 ? hex(c.bkColour) : std::string("transparent"), c.text);
    case PaintCall::Kind::Line:
        return fmt::format("{} line ({},{})-({},{}) {}", where, c.from.x, c.from.y, c.to.x, c.to.y, hex(c.colour));
    default:
        return fmt::format("{} blit ({},{})-({},{})", where, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
    }
}

bool writeSnapshot(HWND topLevel, const std::filesystem::path& png)
{
    if (!writeWindowPng(topLevel, png))
    {
        return false;
    }
    std::filesystem::path recordFile = png;
    recordFile += ".record.txt";
    std::ofstream out(recordFile, std::ios::binary | std::ios::trunc);
    for (const auto& c : paint_record::calls())
    {
        out << describe(c) << '\n';
    }
    return static_cast<bool>(out);
}

void setMonitors(std::vector<Monitor> monitors) { win::setMonitors(std::move(monitors)); }

bool shownOnDisplay(HWND topLevel)
{
    return onOwner(topLevel, [&] {
        Presenter* p = presenterOf(topLevel);
        return p != nullptr && p->exposed();
    });
}

std::optional<Image> captureDisplay(HWND topLevel)
{
    return onOwner(topLevel, [&]() -> std::optional<Image> {
        Presenter* p = presenterOf(topLevel);
        return p != nullptr ? p->capture() : std::nullopt;
    });
}

bool clickOnDisplay(HWND topLevel, POINT clientPoint)
{
    return onOwner(topLevel, [&] {
        Presenter* p = presenterOf(topLevel);
        return p != nullptr && p->sendClick(clientPoint);
    });
}

} // namespace ovr::platform_test
