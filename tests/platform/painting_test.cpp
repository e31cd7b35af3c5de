// The paint cycle: update regions, erasing, the clip of the paint DC, the
// order of parents and children, and what the record holds.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

constexpr COLORREF red = RGB(255, 0, 0);

// The program's way: a full-window memory bitmap copied in one BitBlt.
void paintWholeWindow(HWND hwnd, COLORREF colour)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd, &ps);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, 880, 516);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 880, 516};
    SetDCBrushColor(dc, colour);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    BitBlt(target, 0, 0, 880, 516, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

class Painting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pt::reset();
        window.emplace();
        window->handler = [this](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg == WM_PAINT)
            {
                paintWholeWindow(hwnd, colour);
                return 0;
            }
            if (msg == WM_ERASEBKGND)
            {
                return 1;
            }
            return std::nullopt;
        };
        InvalidateRect(window->hwnd(), nullptr, TRUE);
        pt::pumpUntilIdle();
        window->clear();
    }

    std::optional<TestWindow> window;
    COLORREF colour = RGB(0, 0, 0);
};

TEST_F(Painting, PaintDcIsClippedToTheUpdateRegion)
{
    colour = red;
    RECT strip{0, 448, 880, 476};
    InvalidateRect(window->hwnd(), &strip, FALSE);
    pt::pumpUntilIdle();
    pt::Image frame = pt::framebuffer(window->hwnd());
    const std::uint32_t redPixel = ovr::win::pixelFromColorref(red);
    EXPECT_EQ(frame.at(0, 448), redPixel);
    EXPECT_EQ(frame.at(879, 475), redPixel);
    EXPECT_NE(frame.at(0, 447), redPixel);
    EXPECT_NE(frame.at(0, 476), redPixel);
}

TEST_F(Painting, EraseIsAskedOnlyWhenInvalidatedWithErase)
{
    RECT band{0, 112, 880, 392};
    InvalidateRect(window->hwnd(), &band, FALSE);
    pt::pumpUntilIdle();
    EXPECT_TRUE(window->seen(WM_ERASEBKGND).empty());
    InvalidateRect(window->hwnd(), &band, TRUE);
    pt::pumpUntilIdle();
    auto order = window->order();
    auto erase = std::find(order.begin(), order.end(), WM_ERASEBKGND);
    ASSERT_NE(erase, order.end());
    EXPECT_EQ(*std::prev(erase), WM_PAINT); // sent from inside BeginPaint
}

TEST_F(Painting, ManyInvalidationsMakeOnePaint)
{
    for (int i = 0; i < 20; ++i)
    {
        RECT r{i, i, i + 10, i + 10};
        InvalidateRect(window->hwnd(), &r, i % 2);
    }
    pt::pumpUntilIdle();
    EXPECT_EQ(window->seen(WM_PAINT).size(), 1u);
}

TEST_F(Painting, ChildrenUnderTheRectRepaintAfterTheirParent)
{
    HWND button = window->add(L"button", pushButtonStyle, RECT{758, 341, 848, 361}, 1, L"Re-read");
    HWND elsewhere = window->add(L"button", pushButtonStyle, RECT{5, 20, 95, 40}, 2, L"Title");
    pt::pumpUntilIdle();
    pt::clearPaintCalls();
    RECT band{0, 112, 880, 392};
    InvalidateRect(window->hwnd(), &band, TRUE);
    pt::pumpUntilIdle();
    auto calls = pt::paintCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().window, window->hwnd());
    EXPECT_EQ(calls.back().window, button);
    EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [&](const pt::PaintCall& c) { return c.window == elsewhere; }));
    EXPECT_FALSE(pt::textsDrawn("Re-read").empty());
}

TEST_F(Painting, UpdateWindowPaintsAtOnce)
{
    InvalidateRect(window->hwnd(), nullptr, FALSE);
    UpdateWindow(window->hwnd());
    EXPECT_EQ(window->seen(WM_PAINT).size(), 1u);
    UpdateWindow(window->hwnd()); // nothing invalid: nothing sent
    EXPECT_EQ(window->seen(WM_PAINT).size(), 1u);
}

TEST_F(Painting, InvalidatingNoWindowMeansAllWindows)
{
    TestWindow second;
    pt::pumpUntilIdle();
    window->clear();
    second.clear();
    InvalidateRect(nullptr, nullptr, TRUE);
    pt::pumpUntilIdle();
    EXPECT_EQ(window->seen(WM_PAINT).size(), 1u);
    EXPECT_EQ(second.seen(WM_PAINT).size(), 1u);
}

TEST_F(Painting, RecordNotesTheProgramsBlitAndFillsOnTheBitmap)
{
    pt::clearPaintCalls();
    InvalidateRect(window->hwnd(), nullptr, FALSE);
    pt::pumpUntilIdle();
    auto calls = pt::paintCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, pt::PaintCall::Kind::Fill);
    EXPECT_FALSE(calls[0].onWindow);
    EXPECT_EQ(calls[0].colour, RGB(0, 0, 0));
    EXPECT_EQ(calls[1].kind, pt::PaintCall::Kind::Blit);
    EXPECT_TRUE(calls[1].onWindow);
    EXPECT_EQ(pt::describe(calls[1]), "window blit (0,0)-(880,516)");
}

TEST_F(Painting, HiddenWindowsAreNotPainted)
{
    TestWindow hidden(false);
    InvalidateRect(hidden.hwnd(), nullptr, TRUE);
    pt::pumpUntilIdle();
    EXPECT_TRUE(hidden.seen(WM_PAINT).empty());
    ShowWindow(hidden.hwnd(), SW_SHOW);
    pt::pumpUntilIdle();
    EXPECT_EQ(hidden.seen(WM_PAINT).size(), 1u);
}

} // namespace
} // namespace ovr::test
