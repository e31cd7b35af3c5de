// Run under xvfb-run: the X11 window shows exactly the headless framebuffer,
// and a click sent through the X server reaches the window procedure as
// WM_COMMAND.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;
using namespace std::chrono_literals;

constexpr int buttonId = 32838;

void paintBands(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd, &ps);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, 880, 516);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT bands[] = {{0, 0, 880, 112}, {0, 112, 880, 392}, {0, 392, 880, 448}, {0, 448, 880, 476}};
    const COLORREF colours[] = {RGB(0, 0, 0), lightBlue, RGB(0, 0, 0), 0x32CD32};
    for (int i = 0; i < 4; ++i)
    {
        SetDCBrushColor(dc, colours[i]);
        FillRect(dc, &bands[i], static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0x32CD32);
    TextOutW(dc, 3, 7, L"Version 12.5.5", 14);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 25, 147, L"Scan for liveries", 17);
    BitBlt(target, 0, 0, 880, 516, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

TEST(DisplaySmoke, WindowShowsTheFramebufferAndTakesClicks)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
    {
        GTEST_SKIP() << "no display (run under xvfb-run)";
    }
    pt::reset();
    pt::allowDisplay(true);
    TestWindow w(false);
    w.handler = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_PAINT)
        {
            paintBands(hwnd);
            return 0;
        }
        if (msg == WM_ERASEBKGND)
        {
            return 1;
        }
        return programColours(msg, wParam);
    };
    w.add(L"button", checkBoxStyle, RECT{5, 149, 17, 161}, 32798);
    w.add(L"Edit", editStyle, RECT{107, 259, 207, 275}, 32828, L"KLM123");
    HWND combo = w.add(L"ComboBox", comboStyle, RECT{5, 114, 110, 194}, 32789);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"MSFS 2020"));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND button = w.add(L"button", pushButtonStyle, RECT{758, 341, 848, 361}, buttonId, L"Re-read");
    ShowWindow(w.hwnd(), SW_SHOW);
    UpdateWindow(w.hwnd());

    ASSERT_TRUE(pt::pumpUntil([&] { return pt::shownOnDisplay(w.hwnd()); }, 10s)) << "window never exposed";
    pt::pumpUntilIdle();
    pt::Image frame = pt::framebuffer(w.hwnd());
    auto shown = pt::captureDisplay(w.hwnd());
    ASSERT_TRUE(shown.has_value());
    ASSERT_EQ(shown->width, frame.width);
    ASSERT_EQ(shown->height, frame.height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < frame.pixels.size(); ++i)
    {
        differing += shown->pixels[i] != frame.pixels[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u) << "pixels that differ between the X window and the framebuffer";

    RECT r{};
    GetWindowRect(button, &r);
    RECT top{};
    GetWindowRect(w.hwnd(), &top);
    POINT middle{(r.left + r.right) / 2 - top.left, (r.top + r.bottom) / 2 - top.top};
    ASSERT_TRUE(pt::clickOnDisplay(w.hwnd(), middle));
    EXPECT_TRUE(pt::pumpUntil([&] { return !w.commands(buttonId).empty(); }, 10s));
    EXPECT_EQ(w.commands(buttonId), std::vector<WORD>{BN_CLICKED});
}

} // namespace
} // namespace ovr::test
