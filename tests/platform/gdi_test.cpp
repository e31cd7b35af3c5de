// GDI on memory bitmaps: fills, lines, text and copies, DC state, objects
// made during static initialisation, and writing PNG files.
#include "platform/win/test_support.h"
#include "platform/win/windows.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

// Made before main, as the program's window-state object makes its brushes.
struct StaticObjects
{
    HBRUSH lightBlue = CreateSolidBrush(0xFFCC99);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
} const staticObjects;

constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF white = RGB(255, 255, 255);

class Gdi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pt::reset();
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, 60, 30);
        old = SelectObject(dc, bitmap);
    }
    void TearDown() override
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    int countColour(COLORREF c, RECT area)
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
        {
            for (int x = area.left; x < area.right; ++x)
            {
                n += GetPixel(dc, x, y) == c ? 1 : 0;
            }
        }
        return n;
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
};

TEST_F(Gdi, ObjectsMadeBeforeMainDraw)
{
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(FillRect(dc, &r, staticObjects.lightBlue), 1);
    EXPECT_EQ(GetPixel(dc, 5, 5), 0xFFCC99u);
    SelectObject(dc, staticObjects.white);
    MoveToEx(dc, 0, 20, nullptr);
    LineTo(dc, 10, 20);
    EXPECT_EQ(GetPixel(dc, 3, 20), white);
}

TEST_F(Gdi, FillRectExcludesRightAndBottom)
{
    RECT r{2, 3, 5, 7};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(countColour(white, RECT{0, 0, 60, 30}), 3 * 4);
    EXPECT_EQ(GetPixel(dc, 4, 6), white);
    EXPECT_EQ(GetPixel(dc, 5, 6), black);
    EXPECT_EQ(GetPixel(dc, 4, 7), black);
}

TEST_F(Gdi, LineToLeavesOutItsEndPoint)
{
    SelectObject(dc, GetStockObject(WHITE_PEN));
    POINT was{};
    MoveToEx(dc, 1, 1, nullptr);
    MoveToEx(dc, 2, 5, &was);
    EXPECT_EQ(was.x, 1);
    LineTo(dc, 8, 5);
    EXPECT_EQ(countColour(white, RECT{0, 0, 60, 30}), 6);
    EXPECT_EQ(GetPixel(dc, 8, 5), black);
    LineTo(dc, 8, 9); // continues from the end point
    EXPECT_EQ(GetPixel(dc, 8, 5), white);
    EXPECT_EQ(GetPixel(dc, 8, 9), black);
}

TEST_F(Gdi, DcBrushPaintsInTheBrushColourOfTheDc)
{
    RECT r{0, 0, 4, 4};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 1, 1), white); // white until set
    EXPECT_EQ(SetDCBrushColor(dc, 0x00FFFF), white);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 1, 1), 0x00FFFFu);
}

TEST_F(Gdi, OpaqueTextFillsItsCellTransparentTextDoesNot)
{
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Vora", 4, &size));
    EXPECT_GT(size.cx, 20);
    EXPECT_EQ(size.cy, 15);
    SetTextColor(dc, white);
    SetBkColor(dc, 0xFFCC99);
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, 2, 2, L"Vora", 4);
    RECT cell{2, 2, 2 + size.cx, 2 + size.cy};
    int ink = countColour(white, cell);
    EXPECT_GT(ink, 20);
    EXPECT_EQ(countColour(0xFFCC99, cell) + ink, size.cx * size.cy);
    EXPECT_EQ(countColour(white, RECT{0, 0, 60, 30}), ink); // nothing outside the cell

    RECT all{0, 0, 60, 30};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 2, L"Vora", 4);
    EXPECT_EQ(countColour(0xFFCC99, all), 0);
    EXPECT_EQ(countColour(white, all), ink); // monochrome glyphs: the same pixels every time
}

TEST_F(Gdi, SettersReturnThePreviousValues)
{
    EXPECT_EQ(SetTextColor(dc, 0x32CD32), black);
    EXPECT_EQ(SetTextColor(dc, black), 0x32CD32u);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkColor(dc, 0xFFCC99), white);
    HGDIOBJ pen = SelectObject(dc, GetStockObject(WHITE_PEN));
    EXPECT_EQ(pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(WHITE_PEN));
}

TEST_F(Gdi, RestoreDcBringsBackColoursModesAndObjects)
{
    int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    SetTextColor(dc, 0x0000FF);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetTextColor(dc), black);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_FALSE(RestoreDC(dc, -1)); // nothing saved any more
}

TEST_F(Gdi, BitBltCopiesABlock)
{
    HDC other = CreateCompatibleDC(dc);
    HBITMAP source = CreateCompatibleBitmap(dc, 10, 10);
    HGDIOBJ was = SelectObject(other, source);
    RECT r{0, 0, 10, 10};
    FillRect(other, &r, staticObjects.lightBlue);
    EXPECT_TRUE(BitBlt(dc, 20, 5, 10, 10, other, 0, 0, SRCCOPY));
    EXPECT_EQ(countColour(0xFFCC99, RECT{0, 0, 60, 30}), 100);
    EXPECT_EQ(GetPixel(dc, 20, 5), 0xFFCC99u);
    EXPECT_EQ(GetPixel(dc, 30, 5), black);
    SelectObject(other, was);
    DeleteObject(source);
    DeleteDC(other);
}

// Block copies whose source or target lies partly outside its bitmap, and
// copies within one bitmap either way, against the copy pixel by pixel.
struct BlitCase
{
    const char* name;
    int x, y, width, height, srcX, srcY;
    bool withinOne; // source and target the same bitmap
};

void PrintTo(const BlitCase& blit, std::ostream* out)
{
    *out << blit.name;
}

class GdiBlit : public Gdi, public ::testing::WithParamInterface<BlitCase>
{
protected:
    // Every pixel of a bitmap its own colour.
    static void paintPattern(HDC target)
    {
        for (int y = 0; y < 30; ++y)
        {
            for (int x = 0; x < 60; ++x)
            {
                SetDCBrushColor(target, RGB(static_cast<BYTE>(x * 4), static_cast<BYTE>(y * 8), 7));
                RECT r{x, y, x + 1, y + 1};
                FillRect(target, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            }
        }
    }
    static std::vector<COLORREF> pixelsOf(HDC of)
    {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 30; ++y)
        {
            for (int x = 0; x < 60; ++x)
            {
                pixels.push_back(GetPixel(of, x, y));
            }
        }
        return pixels;
    }
};

TEST_P(GdiBlit, CopiesWhatLiesInsideAndBlackForTheRest)
{
    const BlitCase& c = GetParam();
    HDC other = CreateCompatibleDC(dc);
    HBITMAP sourceBitmap = CreateCompatibleBitmap(dc, 60, 30);
    HGDIOBJ was = SelectObject(other, sourceBitmap);
    paintPattern(c.withinOne ? dc : other);
    if (!c.withinOne)
    {
        RECT all{0, 0, 60, 30};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    HDC from = c.withinOne ? dc : other;
    const std::vector<COLORREF> source = pixelsOf(from);
    std::vector<COLORREF> expected = pixelsOf(dc);
    for (int y = std::max(c.y, 0); y < std::min(c.y + c.height, 30); ++y)
    {
        for (int x = std::max(c.x, 0); x < std::min(c.x + c.width, 60); ++x)
        {
            const int sx = x - c.x + c.srcX, sy = y - c.y + c.srcY;
            const bool inside = sx >= 0 && sy >= 0 && sx < 60 && sy < 30;
            expected[static_cast<std::size_t>(y * 60 + x)] =
                inside ? source[static_cast<std::size_t>(sy * 60 + sx)] : black;
        }
    }
    EXPECT_TRUE(BitBlt(dc, c.x, c.y, c.width, c.height, from, c.srcX, c.srcY, SRCCOPY));
    EXPECT_EQ(pixelsOf(dc), expected);
    SelectObject(other, was);
    DeleteObject(sourceBitmap);
    DeleteDC(other);
}

INSTANTIATE_TEST_SUITE_P(Blocks, GdiBlit,
                         ::testing::Values(BlitCase{"Whole", 0, 0, 60, 30, 0, 0, false},
                                           BlitCase{"SourceOffLeftAndTop", 5, 4, 20, 10, -7, -3, false},
                                           BlitCase{"SourceOffRightAndBottom", 10, 10, 30, 15, 45, 22, false},
                                           BlitCase{"SourceNowhere", 10, 10, 8, 8, 100, 5, false},
                                           BlitCase{"TargetOffEveryEdge", -5, -6, 80, 50, 0, 0, false},
                                           BlitCase{"Empty", 5, 5, -3, 4, 0, 0, false},
                                           BlitCase{"WithinOneRightAndDown", 3, 2, 50, 25, 0, 0, true},
                                           BlitCase{"WithinOneLeftAndUp", 0, 0, 50, 25, 3, 2, true},
                                           BlitCase{"WithinOnePartlyOutside", 40, 20, 30, 20, -4, -2, true}),
                         [](const ::testing::TestParamInfo<BlitCase>& blit) { return std::string(blit.param.name); });

TEST_F(Gdi, CallsOutsideAPaintAreNotRecorded)
{
    pt::clearPaintCalls();
    TextOutW(dc, 0, 0, L"x", 1);
    EXPECT_TRUE(pt::paintCalls().empty());
}

TEST(Png, SnapshotWritesAPngAndTheRecordAndLeavesNoPartFile)
{
    pt::reset();
    auto folder = freshTempFolder("vora-platform-png");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"PngTest";
    RegisterClassExW(&wc);
    HWND w = CreateWindowExW(0, L"PngTest", L"png", WS_CAPTION, 0, 0, 880, 516, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(w, SW_SHOW);
    pt::pumpUntilIdle();
    auto png = folder / "window.png";
    ASSERT_TRUE(pt::writeSnapshot(w, png));
    std::ifstream in(png, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_TRUE(std::filesystem::exists(folder / "window.png.record.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "window.png.part"));
    EXPECT_EQ(pt::framebuffer(w).at(10, 10), 0xFFFFFFu);
    EXPECT_FALSE(pt::writeSnapshot(w, folder / "missing" / "x.png"));
    std::filesystem::remove_all(folder);
}

TEST(Png, ScreenshotVariableGetsTheMainWindowWhenTheLoopEnds)
{
    auto folder = freshTempFolder("vora-platform-screenshot");
    auto file = folder / "shot.png";
    std::string command = "VORA_HEADLESS=1 VORA_SCREENSHOT='" + file.string() + "' " + PLATFORM_PROBE + " screenshot";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(file, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_GT(std::filesystem::file_size(file), 100u);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace ovr::test
