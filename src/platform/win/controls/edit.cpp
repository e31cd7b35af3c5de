// "Edit": a single-line edit box without horizontal scrolling. Typed text
// that would not fit the box is refused with EN_MAXTEXT (so a narrow box
// takes only a few characters); a change by typing or by WM_SETTEXT sends
// EN_UPDATE and then EN_CHANGE, as Windows does. Enter is not the box's: it
// arrives as WM_CHAR 13, which a subclass procedure sees first.
#include "platform/win/controls/controls.h"
#include "platform/win/gdi/gdi_internal.h"
#include "platform/win/window_registry.h"

namespace ovr::win
{

namespace
{

constexpr int margin = 1; // between the border and the text

struct EditState : ControlState
{
    std::size_t caret = 0;
    bool focused = false;
};

// The text area inside the border.
RECT textArea(HWND hwnd)
{
    RECT r = clientRect(hwnd);
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_BORDER) != 0)
    {
        r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    return r;
}

bool fits(HWND hwnd, const std::wstring& text)
{
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_AUTOHSCROLL) != 0)
    {
        return true;
    }
    RECT area = textArea(hwnd);
    return textWidth(text) <= area.right - area.left - 2 * margin;
}

void changed(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    notifyParent(hwnd, EN_UPDATE);
    notifyParent(hwnd, EN_CHANGE);
}

void insert(HWND hwnd, EditState& s, WCHAR c)
{
    std::wstring text = storedText(hwnd);
    s.caret = std::min(s.caret, text.size());
    std::wstring next = text;
    next.insert(s.caret, 1, c);
    if (!fits(hwnd, next))
    {
        notifyParent(hwnd, EN_MAXTEXT);
        return;
    }
    setStoredText(hwnd, next);
    ++s.caret;
    changed(hwnd);
}

void erase(HWND hwnd, EditState& s, std::size_t at)
{
    std::wstring text = storedText(hwnd);
    if (at >= text.size())
    {
        return;
    }
    text.erase(at, 1);
    setStoredText(hwnd, text);
    s.caret = std::min(at, text.size());
    changed(hwnd);
}

void moveCaret(HWND hwnd, EditState& s, WPARAM key)
{
    std::size_t length = storedText(hwnd).size();
    std::size_t before = s.caret;
    if (key == VK_LEFT && s.caret > 0)
    {
        --s.caret;
    }
    else if (key == VK_RIGHT && s.caret < length)
    {
        ++s.caret;
    }
    else if (key == VK_HOME)
    {
        s.caret = 0;
    }
    else if (key == VK_END)
    {
        s.caret = length;
    }
    if (before != s.caret)
    {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

std::size_t caretAt(HWND hwnd, int x)
{
    std::wstring text = storedText(hwnd);
    int left = textArea(hwnd).left + margin;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        int w = textWidth(std::wstring_view(text).substr(i, 1));
        if (x < left + w / 2)
        {
            return i;
        }
        left += w;
    }
    return text.size();
}

void paint(HWND hwnd, const EditState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const bool enabled = isEnabled(hwnd);
    HBRUSH background = parentColours(hwnd, hdc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    RECT client = clientRect(hwnd);
    RECT area = textArea(hwnd);
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_BORDER) != 0)
    {
        frameColour(hdc, client, enabled ? look::border : look::disabledBorder);
    }
    FillRect(hdc, &area, background);
    if (!enabled)
    {
        SetTextColor(hdc, look::greyText);
    }
    std::wstring text = storedText(hwnd);
    const int x = area.left + margin;
    const int y = area.top + std::max(0, static_cast<int>(area.bottom - area.top) - fontHeight()) / 2;
    textOutClipped(hdc, x, y, text, area);
    if (s.focused && enabled)
    {
        int cx = x + textWidth(std::wstring_view(text).substr(0, std::min(s.caret, text.size())));
        fillColour(hdc, RECT{cx, area.top + 1, cx + 1, area.bottom - 1}, look::black);
    }
    EndPaint(hwnd, &ps);
}

} // namespace

static LRESULT handleEdit(HWND hwnd, EditState& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EditState* s = &state;
    switch (msg)
    {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        s->caret = 0;
        changed(hwnd);
        return TRUE;
    case WM_CHAR: {
        auto c = static_cast<WCHAR>(wParam);
        if (c == 8)
        {
            if (s->caret > 0)
            {
                erase(hwnd, *s, s->caret - 1);
            }
        }
        else if (c >= 0x20 && c != 0x7F)
        {
            insert(hwnd, *s, c);
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_DELETE)
        {
            erase(hwnd, *s, s->caret);
        }
        else
        {
            moveCaret(hwnd, *s, wParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        s->caret = caretAt(hwnd, GET_X_LPARAM(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s->focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        notifyParent(hwnd, s->focused ? EN_SETFOCUS : EN_KILLFOCUS);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return withControlState<EditState>(hwnd, msg, wParam, lParam, handleEdit);
}

} // namespace ovr::win
