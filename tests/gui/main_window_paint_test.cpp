#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/status_line.h"
#include "gui/main_window.h"
#include "platform/win/test_support.h"
#include "platform/win/windows.h"

namespace ovr::test
{
namespace
{

LRESULT CALLBACK paintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(window, &ps);
        lf_paintMainWindow(dc);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Text from a file or a reply may be any bytes; painting it must not throw.
TEST(MainWindowPaint, InvalidUtf8OnTheErrorLineIsPaintedWithReplacementCharacters)
{
    platform_test::reset();
    gf_resetStatusLine();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &paintingProc;
    wc.lpszClassName = L"PaintTest";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, L"PaintTest", L"test", WS_CAPTION | WS_SYSMENU, 0, 0, 880, 516, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    gf_setErrorStatus("\xC3\x28" "AB");
    platform_test::clearPaintCalls();
    InvalidateRect(window, nullptr, FALSE);
    ASSERT_NO_THROW(platform_test::pumpUntilIdle());
    const auto calls = platform_test::paintCalls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                            [](const platform_test::PaintCall& call)
                            { return call.text == "\xEF\xBF\xBD(AB"; }));
    gf_resetStatusLine();
    platform_test::reset();
}

} // namespace
} // namespace ovr::test
