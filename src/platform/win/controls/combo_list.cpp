// "ComboLBox": the open list of a drop-down combo box. It is a child of the
// top-level window marked as an overlay, so it paints after and is hit before
// every other control, and it holds the mouse capture while open: a press
// outside it closes it without a choice, a release on an item chooses it.
#include "platform/win/controls/controls.h"
#include "platform/win/gdi/gdi_internal.h"
#include "platform/win/window_registry.h"

namespace ovr::win
{

namespace
{

constexpr COLORREF listBorder = RGB(100, 100, 100);

struct ListState : ControlState
{
    HWND combo = nullptr;
    bool pressedInside = false;
};

// The item under a point of the list, or -1.
int itemAt(HWND hwnd, HWND combo, POINT p)
{
    RECT r = clientRect(hwnd);
    if (!containsPoint(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, p.x, p.y))
    {
        return -1;
    }
    ComboListView view = comboListView(combo);
    int index = view.top + (p.y - 1) / comboItemHeight();
    return index < view.count && index < view.top + view.visible ? index : -1;
}

void paint(HWND hwnd, HWND combo)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT r = clientRect(hwnd);
    fillColour(hdc, r, look::white);
    frameColour(hdc, r, listBorder);
    ComboListView view = comboListView(combo);
    const int itemHeight = comboItemHeight();
    SetBkMode(hdc, TRANSPARENT);
    for (int row = 0; row < view.visible && view.top + row < view.count; ++row)
    {
        int index = view.top + row;
        RECT item{1, 1 + row * itemHeight, r.right - 1, 1 + (row + 1) * itemHeight};
        bool hot = index == view.hot;
        if (hot)
        {
            fillColour(hdc, item, look::highlight);
        }
        SetTextColor(hdc, hot ? look::white : look::black);
        textOutClipped(hdc, 4, item.top + (itemHeight - fontHeight()) / 2, comboItem(combo, index), item);
    }
    EndPaint(hwnd, &ps);
}

} // namespace

static LRESULT handleList(HWND hwnd, ListState& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ListState* s = &state;
    HWND combo = s->combo;
    switch (msg)
    {
    case WM_NCCREATE:
        s->combo = static_cast<HWND>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        markOverlay(hwnd);
        return TRUE;
    case WM_PAINT:
        paint(hwnd, combo);
        return 0;
    case WM_LBUTTONDOWN: {
        int index = itemAt(hwnd, combo, pointFrom(lParam));
        RECT r = clientRect(hwnd);
        POINT p = pointFrom(lParam);
        if (!containsPoint(r, p.x, p.y))
        {
            comboListCancel(combo); // destroys this window
            return 0;
        }
        s->pressedInside = true;
        if (index >= 0)
        {
            comboListHot(combo, index);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        int index = itemAt(hwnd, combo, pointFrom(lParam));
        if (s->pressedInside && index >= 0)
        {
            comboListChoose(combo, index); // destroys this window
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        comboListScroll(combo, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -3 : 3);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT comboListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return withControlState<ListState>(hwnd, msg, wParam, lParam, handleList);
}

} // namespace ovr::win
