// The system window classes the program creates: "Button", "Edit" and
// "ComboBox" (with "ComboLBox", the drop-down list it opens), plus what the
// three share: notifications to the parent, colours, and the control look.
#pragma once

#include "platform/win/gdi32.h"
#include "platform/win/user32.h"
#include "platform/win/window_registry.h"

#include <string>

namespace ovr::win
{

class Registry;
void registerSystemClasses(Registry& registry);

LRESULT buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT comboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT comboListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The frame every control procedure shares: the state is made on WM_NCCREATE
// and handed to handle() with each message (WM_NCCREATE included); a message
// that arrives without state goes to DefWindowProcW.
template <typename State>
LRESULT withControlState(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                         LRESULT (*handle)(HWND, State&, UINT, WPARAM, LPARAM))
{
    if (msg == WM_NCCREATE)
    {
        attachControl(hwnd, std::make_unique<State>());
    }
    State* state = controlState<State>(hwnd);
    return state != nullptr ? handle(hwnd, *state, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

// WM_COMMAND to the parent with MAKEWPARAM(id, code) and the control.
void notifyParent(HWND control, WORD code);
// Asks the parent for the control's colours (WM_CTLCOLOR*), as Windows does:
// the reply brush paints the background and the DC keeps the colours and
// background mode the parent set. A parent that does not answer gets the
// defaults.
HBRUSH parentColours(HWND control, HDC hdc, UINT ctlColorMessage);
bool isEnabled(HWND hwnd);
RECT clientRect(HWND hwnd);
POINT pointFrom(LPARAM lParam);

// The look: close to the current Windows controls.
namespace look
{
constexpr COLORREF border = RGB(122, 122, 122);
constexpr COLORREF disabledBorder = RGB(204, 204, 204);
constexpr COLORREF disabledFace = RGB(240, 240, 240);
constexpr COLORREF buttonFace = RGB(225, 225, 225);
constexpr COLORREF buttonBorder = RGB(173, 173, 173);
constexpr COLORREF buttonPressed = RGB(204, 228, 247);
constexpr COLORREF buttonPressedBorder = RGB(0, 84, 153);
constexpr COLORREF defaultBorder = RGB(0, 120, 215);
constexpr COLORREF disabledButtonFace = RGB(204, 204, 204);
constexpr COLORREF disabledButtonBorder = RGB(191, 191, 191);
constexpr COLORREF checkBorder = RGB(51, 51, 51);
constexpr COLORREF highlight = RGB(0, 120, 215);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF greyText = RGB(109, 109, 109);
} // namespace look

// Height of a closed combo box: the font's height plus 8.
int comboFaceHeight();
int comboItemHeight();

// The combo box side of its drop-down list.
struct ComboListView
{
    int count = 0;
    int top = 0;       // first visible item
    int hot = -1;      // highlighted item
    int visible = 0;   // items that fit
    HWND list = nullptr; // the open list, or null
};
ComboListView comboListView(HWND combo);
std::wstring comboItem(HWND combo, int index);
void comboListChoose(HWND combo, int index);
void comboListCancel(HWND combo);
void comboListScroll(HWND combo, int lines);
void comboListHot(HWND combo, int index);

} // namespace ovr::win
