// "Button": push buttons and check boxes. A click is a press and a release
// inside the enabled button and sends BN_CLICKED. BS_CHECKBOX does not change
// its own state on a click (its owner does); BS_AUTOCHECKBOX does.
// BM_SETCHECK never notifies.
#include "platform/win/controls/controls.h"
#include "platform/win/gdi/gdi_internal.h"
#include "platform/win/window_registry.h"

namespace ovr::win
{

namespace
{

struct ButtonState : ControlState
{
    bool checked = false;
    bool pressed = false;  // the mouse or space bar holds it down
    bool focused = false;
};

DWORD buttonType(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool isCheckBox(DWORD type) { return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX; }

void click(HWND hwnd, ButtonState& s)
{
    if (buttonType(hwnd) == BS_AUTOCHECKBOX)
    {
        s.checked = !s.checked;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    notifyParent(hwnd, BN_CLICKED);
}

void paintPushButton(HWND hwnd, HDC hdc, const ButtonState& s, const RECT& r)
{
    const bool enabled = isEnabled(hwnd);
    const bool isDefault = buttonType(hwnd) == BS_DEFPUSHBUTTON;
    parentColours(hwnd, hdc, WM_CTLCOLORBTN);
    COLORREF face = !enabled ? look::disabledButtonFace : s.pressed ? look::buttonPressed : look::buttonFace;
    COLORREF edge = !enabled ? look::disabledButtonBorder
                    : s.pressed ? look::buttonPressedBorder
                    : isDefault || s.focused ? look::defaultBorder
                                             : look::buttonBorder;
    fillColour(hdc, r, face);
    frameColour(hdc, r, edge);
    if (enabled && isDefault)
    {
        frameColour(hdc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, edge);
    }
    std::wstring caption = storedText(hwnd);
    int x = (r.right - r.left - textWidth(caption)) / 2;
    int y = (r.bottom - r.top - fontHeight()) / 2;
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, enabled ? look::black : look::greyText);
    textOutClipped(hdc, x, y, caption, RECT{r.left + 2, r.top + 1, r.right - 2, r.bottom - 1});
}

void paintCheckBox(HWND hwnd, HDC hdc, const ButtonState& s, const RECT& r)
{
    const bool enabled = isEnabled(hwnd);
    HBRUSH background = parentColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    FillRect(hdc, &r, background);
    const int size = std::min({13, static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)});
    const int top = (r.bottom - r.top - size) / 2;
    RECT box{0, top, size, top + size};
    fillColour(hdc, box, enabled ? look::white : look::disabledFace);
    frameColour(hdc, box, enabled ? look::checkBorder : look::disabledBorder);
    if (s.checked)
    {
        // A tick two pixels thick, scaled to the box.
        HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(DC_PEN));
        SetDCPenColor(hdc, enabled ? look::black : look::greyText);
        const int a = size / 5, m = size * 2 / 5, b = size - 2;
        for (int d = 0; d < 2; ++d)
        {
            MoveToEx(hdc, 2, top + m + d, nullptr);
            LineTo(hdc, 2 + a, top + m + a + d);
            LineTo(hdc, b, top + 2 + d);
        }
        SelectObject(hdc, oldPen);
    }
    std::wstring caption = storedText(hwnd);
    if (!caption.empty())
    {
        if (!enabled)
        {
            SetTextColor(hdc, look::greyText);
        }
        textOutClipped(hdc, size + 4, (r.bottom - r.top - fontHeight()) / 2, caption, r);
    }
}

void paint(HWND hwnd, ButtonState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT r = clientRect(hwnd);
    if (isCheckBox(buttonType(hwnd)))
    {
        paintCheckBox(hwnd, hdc, s, r);
    }
    else
    {
        paintPushButton(hwnd, hdc, s, r);
    }
    EndPaint(hwnd, &ps);
}

void setPressed(HWND hwnd, ButtonState& s, bool pressed)
{
    if (s.pressed != pressed)
    {
        s.pressed = pressed;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

} // namespace

static LRESULT handleButton(HWND hwnd, ButtonState& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ButtonState* s = &state;
    switch (msg)
    {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        setPressed(hwnd, *s, true);
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: {
        bool wasPressed = s->pressed;
        setPressed(hwnd, *s, false);
        if (GetCapture() == hwnd)
        {
            ReleaseCapture();
        }
        POINT p = pointFrom(lParam);
        if (wasPressed && containsPoint(clientRect(hwnd), p.x, p.y))
        {
            click(hwnd, *s);
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE)
        {
            setPressed(hwnd, *s, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s->pressed)
        {
            setPressed(hwnd, *s, false);
            click(hwnd, *s);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s->focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_GETCHECK:
        return s->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (s->checked != (wParam == BST_CHECKED))
        {
            s->checked = wParam == BST_CHECKED;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case BM_GETSTATE:
        return (s->checked ? BST_CHECKED : 0) | (s->pressed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        setPressed(hwnd, *s, wParam != 0);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE:
        if (wParam == 0)
        {
            setPressed(hwnd, *s, false);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return withControlState<ButtonState>(hwnd, msg, wParam, lParam, handleButton);
}

} // namespace ovr::win
