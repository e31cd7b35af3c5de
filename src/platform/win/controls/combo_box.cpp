// "ComboBox" with CBS_DROPDOWNLIST: a closed face showing the selected item
// (or, with no selection, the window text) and a drop-down list opened by a
// click, drawn over everything else ("ComboLBox", combo_list.cpp).
// Programmatic selection (CB_SETCURSEL, CB_SELECTSTRING) never notifies; a
// user's choice sends CBN_SELCHANGE with MAKEWPARAM(id, 1).
#include "platform/win/controls/controls.h"
#include "platform/win/gdi/gdi_internal.h"
#include "platform/win/utf16.h"
#include "platform/win/window_registry.h"

#include <algorithm>
#include <vector>
#include <utility>

namespace ovr::win
{

namespace
{

constexpr int arrowWidth = 15;
constexpr int wheelLines = 3;

struct ComboState : ControlState
{
    std::vector<std::wstring> items;
    int selected = -1;
    int dropExtent = 0; // the height given at creation: face plus list
    HWND list = nullptr;
    bool focused = false;
    int top = 0;
    int hot = -1;
    int visible = 0;
};

ComboState* stateOf(HWND hwnd) { return controlState<ComboState>(hwnd); }

int count(const ComboState& s) { return static_cast<int>(s.items.size()); }

void keepHotVisible(ComboState& s)
{
    if (s.hot < s.top)
    {
        s.top = std::max(s.hot, 0);
    }
    else if (s.visible > 0 && s.hot >= s.top + s.visible)
    {
        s.top = s.hot - s.visible + 1;
    }
    s.top = std::clamp(s.top, 0, std::max(0, count(s) - s.visible));
}

void openList(HWND hwnd)
{
    notifyParent(hwnd, CBN_DROPDOWN);
    ComboState* s = stateOf(hwnd);
    if (s == nullptr || s->list != nullptr)
    {
        return;
    }
    HWND top = nullptr;
    POINT at{0, 0};
    int width = 0;
    int faceHeight = 0;
    int room = 0;
    {
        std::lock_guard lock(registry().mutex);
        Window* w = windowLocked(hwnd);
        Window* t = w != nullptr ? windowLocked(topLevelLocked(*w)) : nullptr;
        if (t == nullptr)
        {
            return;
        }
        top = t->handle;
        at = originInTopLevelLocked(*w);
        RECT face = clientRectLocked(*w);
        width = face.right;
        faceHeight = face.bottom;
        room = clientRectLocked(*t).bottom - (at.y + faceHeight);
    }
    // The list gets the created height below the face, shortened to stay
    // inside the window so every item can be reached by scrolling.
    const int itemHeight = comboItemHeight();
    const int wanted = std::min(s->dropExtent - faceHeight, room) - 2;
    s->visible = std::clamp(count(*s), 1, std::max(1, wanted / itemHeight));
    s->hot = s->selected >= 0 ? s->selected : (s->items.empty() ? -1 : 0);
    s->top = 0;
    keepHotVisible(*s);
    HWND list = CreateWindowExW(0, L"ComboLBox", L"", WS_CHILD | WS_VISIBLE, at.x, at.y + faceHeight, width,
                                s->visible * itemHeight + 2, top, nullptr, nullptr, hwnd);
    s = stateOf(hwnd);
    if (s == nullptr)
    {
        return;
    }
    s->list = list;
    SetCapture(list);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void closeList(HWND hwnd, bool commit)
{
    ComboState* s = stateOf(hwnd);
    if (s == nullptr || s->list == nullptr)
    {
        return;
    }
    HWND list = std::exchange(s->list, nullptr);
    bool changed = commit && s->hot >= 0 && s->hot != s->selected;
    if (changed)
    {
        s->selected = s->hot;
    }
    if (GetCapture() == list)
    {
        ReleaseCapture();
    }
    DestroyWindow(list);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (changed)
    {
        notifyParent(hwnd, CBN_SELCHANGE);
    }
    notifyParent(hwnd, commit ? CBN_SELENDOK : CBN_SELENDCANCEL);
    notifyParent(hwnd, CBN_CLOSEUP);
}

void userSelect(HWND hwnd, ComboState& s, int index)
{
    if (s.items.empty())
    {
        return;
    }
    index = std::clamp(index, 0, count(s) - 1);
    if (index != s.selected)
    {
        s.selected = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        notifyParent(hwnd, CBN_SELCHANGE);
    }
}

void moveHot(ComboState& s, int index)
{
    if (s.items.empty())
    {
        return;
    }
    s.hot = std::clamp(index, 0, count(s) - 1);
    keepHotVisible(s);
    InvalidateRect(s.list, nullptr, TRUE);
}

std::wstring faceText(HWND hwnd, const ComboState& s)
{
    return s.selected >= 0 ? s.items[static_cast<std::size_t>(s.selected)] : storedText(hwnd);
}

LRESULT copyText(const std::wstring& text, WPARAM capacity, LPARAM lParam)
{
    auto buffer = reinterpret_cast<LPWSTR>(lParam);
    if (buffer == nullptr || capacity == 0)
    {
        return 0;
    }
    std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

// CB_SELECTSTRING: the first item after `after` (wrapping round) that begins
// with prefix, ignoring case; the selection stays when none does.
LRESULT selectString(HWND hwnd, ComboState& s, WPARAM after, LPARAM lParam)
{
    auto text = reinterpret_cast<LPCWSTR>(lParam);
    std::wstring_view prefix(text != nullptr ? text : L"", unitLength(text));
    const int n = count(s);
    const auto start = static_cast<int>(static_cast<LONG_PTR>(after));
    const int first = start < 0 || start >= n ? 0 : start + 1;
    for (int k = 0; k < n; ++k)
    {
        int i = (first + k) % n;
        if (startsWithNoCase(s.items[static_cast<std::size_t>(i)], prefix))
        {
            s.selected = i;
            InvalidateRect(hwnd, nullptr, TRUE);
            return i;
        }
    }
    return CB_ERR;
}

void paint(HWND hwnd, const ComboState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const bool enabled = isEnabled(hwnd);
    RECT r = clientRect(hwnd);
    fillColour(hdc, r, enabled ? look::white : look::disabledFace);
    frameColour(hdc, r, enabled ? look::border : look::disabledBorder);
    RECT textRect{1, 1, r.right - arrowWidth, r.bottom - 1};
    const bool highlighted = s.focused && enabled && s.list == nullptr;
    if (highlighted)
    {
        fillColour(hdc, RECT{2, 2, textRect.right - 1, textRect.bottom - 1}, look::highlight);
    }
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, !enabled ? look::greyText : highlighted ? look::white : look::black);
    textOutClipped(hdc, 4, (r.bottom - fontHeight()) / 2, faceText(hwnd, s), textRect);
    // the drop-down arrow
    const int cx = r.right - arrowWidth / 2 - 1;
    const int cy = r.bottom / 2 - 1;
    for (int k = 0; k < 4; ++k)
    {
        fillColour(hdc, RECT{cx - 3 + k, cy + k, cx + 4 - k, cy + k + 1},
                   enabled ? look::checkBorder : look::disabledBorder);
    }
    EndPaint(hwnd, &ps);
}

LRESULT keyDown(HWND hwnd, ComboState& s, WPARAM key)
{
    if (s.list != nullptr)
    {
        switch (key)
        {
        case VK_UP:
            moveHot(s, s.hot - 1);
            break;
        case VK_DOWN:
            moveHot(s, s.hot + 1);
            break;
        case VK_RETURN:
        case VK_F4:
            closeList(hwnd, true);
            break;
        case VK_ESCAPE:
            closeList(hwnd, false);
            break;
        default:
            break;
        }
        return 0;
    }
    switch (key)
    {
    case VK_UP:
    case VK_LEFT:
        userSelect(hwnd, s, s.selected - 1);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        userSelect(hwnd, s, s.selected + 1);
        break;
    case VK_HOME:
        userSelect(hwnd, s, 0);
        break;
    case VK_END:
        userSelect(hwnd, s, count(s) - 1);
        break;
    case VK_F4:
        openList(hwnd);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT listMessage(HWND hwnd, ComboState& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int n = count(s);
    auto index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    switch (msg)
    {
    case CB_ADDSTRING: {
        auto text = reinterpret_cast<LPCWSTR>(lParam);
        s.items.emplace_back(text != nullptr ? text : L"", unitLength(text));
        if (s.list != nullptr)
        {
            InvalidateRect(s.list, nullptr, TRUE);
        }
        return n;
    }
    case CB_RESETCONTENT:
        closeList(hwnd, false);
        if (ComboState* now = stateOf(hwnd))
        {
            now->items.clear();
            now->selected = -1;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return CB_OKAY;
    case CB_GETCOUNT:
        return n;
    case CB_GETCURSEL:
        return s.selected >= 0 ? s.selected : CB_ERR;
    case CB_SETCURSEL:
        s.selected = index >= 0 && index < n ? index : -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return s.selected >= 0 ? s.selected : CB_ERR;
    case CB_GETLBTEXT:
        // Like Windows, the whole item is copied: the caller sizes the buffer.
        return index >= 0 && index < n ? copyText(s.items[static_cast<std::size_t>(index)],
                                                  s.items[static_cast<std::size_t>(index)].size() + 1, lParam)
                                       : CB_ERR;
    case CB_GETLBTEXTLEN:
        return index >= 0 && index < n ? static_cast<LRESULT>(s.items[static_cast<std::size_t>(index)].size())
                                       : CB_ERR;
    case CB_SELECTSTRING:
        return n == 0 ? CB_ERR : selectString(hwnd, s, wParam, lParam);
    case CB_SHOWDROPDOWN:
        if (wParam != 0)
        {
            openList(hwnd);
        }
        else
        {
            closeList(hwnd, false);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return s.list != nullptr ? TRUE : FALSE;
    default:
        return 0;
    }
}

} // namespace

int comboFaceHeight() { return fontHeight() + 8; }
int comboItemHeight() { return fontHeight() + 2; }

ComboListView comboListView(HWND combo)
{
    ComboState* s = stateOf(combo);
    return s == nullptr ? ComboListView{} : ComboListView{count(*s), s->top, s->hot, s->visible, s->list};
}

std::wstring comboItem(HWND combo, int index)
{
    ComboState* s = stateOf(combo);
    return s != nullptr && index >= 0 && index < count(*s) ? s->items[static_cast<std::size_t>(index)]
                                                           : std::wstring();
}

void comboListChoose(HWND combo, int index)
{
    if (ComboState* s = stateOf(combo))
    {
        s->hot = index;
        closeList(combo, true);
    }
}

void comboListCancel(HWND combo) { closeList(combo, false); }

void comboListScroll(HWND combo, int lines)
{
    ComboState* s = stateOf(combo);
    if (s != nullptr && s->list != nullptr)
    {
        s->top = std::clamp(s->top + lines, 0, std::max(0, count(*s) - s->visible));
        InvalidateRect(s->list, nullptr, TRUE);
    }
}

void comboListHot(HWND combo, int index)
{
    ComboState* s = stateOf(combo);
    if (s != nullptr && s->list != nullptr && index != s->hot)
    {
        moveHot(*s, index);
    }
}

static LRESULT handleCombo(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ComboState* s = &state;
    if (msg >= CB_ADDSTRING && msg <= CB_GETDROPPEDSTATE)
    {
        return listMessage(hwnd, *s, msg, wParam, lParam);
    }
    switch (msg)
    {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        s->dropExtent = cs->cy;
        // The created height is the drop-down's reach; the face is one line.
        setWindowSize(hwnd, cs->cx, comboFaceHeight());
        return TRUE;
    }
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        if (ComboState* now = stateOf(hwnd); now != nullptr && now->list == nullptr)
        {
            openList(hwnd);
        }
        return 0;
    case WM_KEYDOWN:
        return keyDown(hwnd, *s, wParam);
    case WM_MOUSEWHEEL:
        if (s->list != nullptr)
        {
            comboListScroll(hwnd, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -wheelLines : wheelLines);
        }
        else
        {
            userSelect(hwnd, *s, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? s->selected - 1 : s->selected + 1);
        }
        return 0;
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        notifyParent(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        closeList(hwnd, false);
        if (ComboState* now = stateOf(hwnd))
        {
            now->focused = false;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        notifyParent(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        if (wParam == 0)
        {
            closeList(hwnd, false);
        }
        return 0;
    case WM_SETTEXT: {
        // A text that is one of the items selects it; any other text clears
        // the selection so that the face shows the text.
        DefWindowProcW(hwnd, msg, wParam, lParam);
        std::wstring text = storedText(hwnd);
        auto it = std::find_if(s->items.begin(), s->items.end(),
                               [&](const std::wstring& item) { return equalsNoCase(item, text); });
        s->selected = it == s->items.end() ? -1 : static_cast<int>(it - s->items.begin());
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case WM_GETTEXT:
        return copyText(faceText(hwnd, *s), wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(faceText(hwnd, *s).size());
    case WM_DESTROY:
        if (s->list != nullptr)
        {
            DestroyWindow(std::exchange(s->list, nullptr));
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT comboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return withControlState<ComboState>(hwnd, msg, wParam, lParam, handleCombo);
}

} // namespace ovr::win
