// Window classes and windows: creation, lookup, geometry and placement,
// monitors, and the close signals.
#include "platform/win/test_support.h"
#include "test_window.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ovr::test
{
namespace
{

namespace pt = ovr::platform_test;

class Windows : public ::testing::Test
{
protected:
    void SetUp() override { pt::reset(); }
};

struct CreateRecord
{
    LPVOID params = nullptr;
    HINSTANCE instance = nullptr;
    int cx = 0;
    int cy = 0;
};

CreateRecord g_created;
LRESULT g_createAnswer = 0;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE)
    {
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        g_created = CreateRecord{cs->lpCreateParams, cs->hInstance, cs->cx, cs->cy};
        return g_createAnswer;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

ATOM registerVora()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = recordingProc;
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCE(100));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"Vora";
    return RegisterClassExW(&wc);
}

HWND createVora(LPVOID params = nullptr)
{
    return CreateWindowExW(0, L"Vora", L"Vora", WS_CAPTION | WS_SYSMENU, 400, 20, 880, 516, nullptr, nullptr,
                           reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000}), params);
}

TEST_F(Windows, ClassNamesAreRegisteredOnce)
{
    EXPECT_NE(registerVora(), 0);
    EXPECT_EQ(registerVora(), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_NE(LoadIconW(nullptr, MAKEINTRESOURCE(100)), nullptr);
}

TEST_F(Windows, CreationSendsWmCreateWithTheCreationData)
{
    registerVora();
    int marker = 0;
    g_createAnswer = 0;
    HWND hwnd = createVora(&marker);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(g_created.params, &marker);
    EXPECT_EQ(g_created.instance, reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000}));
    EXPECT_EQ(g_created.cx, 880);
    EXPECT_EQ(g_created.cy, 516);
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{400, 20, 1280, 536}));
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 880);
    EXPECT_EQ(r.bottom, 516);
}

TEST_F(Windows, MinusOneFromWmCreateFailsTheCreation)
{
    registerVora();
    g_createAnswer = -1;
    EXPECT_EQ(createVora(), nullptr);
    g_createAnswer = 0;
}

TEST_F(Windows, ControlsAreFoundByIdAndClassNamesIgnoreCase)
{
    TestWindow w;
    HWND box = w.add(L"BUTTON", checkBoxStyle, RECT{5, 149, 17, 161}, 32798);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetDlgItem(w.hwnd(), 32798), box);
    EXPECT_EQ(GetDlgItem(w.hwnd(), 32799), nullptr);
    EXPECT_EQ(GetDlgItem(nullptr, 32798), nullptr);
    EXPECT_TRUE(IsWindow(box));
    EXPECT_FALSE(IsWindow(nullptr));
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(w.add(L"NoSuchClass", checkBoxStyle, RECT{0, 0, 1, 1}, 1), nullptr);
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_EQ(r.left, 405);
    EXPECT_EQ(r.top, 169);
    DestroyWindow(w.hwnd());
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(Windows, PlacementKeepsTheRestoredRectangle)
{
    TestWindow w;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    for (int cmd : {SW_MINIMIZE, SW_SHOWMAXIMIZED})
    {
        ShowWindow(w.hwnd(), cmd);
        ASSERT_TRUE(GetWindowPlacement(w.hwnd(), &wp));
        EXPECT_EQ(wp.showCmd, static_cast<UINT>(cmd == SW_MINIMIZE ? SW_SHOWMINIMIZED : SW_SHOWMAXIMIZED));
        EXPECT_EQ(wp.rcNormalPosition.left, 400);
        EXPECT_EQ(wp.rcNormalPosition.top, 20);
        ShowWindow(w.hwnd(), SW_RESTORE);
    }
    RECT r{};
    GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.left, 400);
    GetWindowPlacement(w.hwnd(), &wp);
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST_F(Windows, SetWindowPosMovesAndMakesTopmost)
{
    TestWindow w;
    SetWindowPos(w.hwnd(), nullptr, -100, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r{};
    GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.left, -100);
    EXPECT_EQ(r.right - r.left, 880);
    SetWindowPos(w.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_NE(GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    SetWindowPos(w.hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_EQ(GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.top, 700);
}

TEST_F(Windows, WindowTextRoundTrips)
{
    TestWindow w;
    SetWindowTextW(w.hwnd(), L"Vora \xD83D\xDE00");
    EXPECT_EQ(GetWindowTextLengthW(w.hwnd()), 7);
    WCHAR small[4];
    EXPECT_EQ(GetWindowTextW(w.hwnd(), small, 4), 3);
    EXPECT_EQ(std::wstring(small), L"Vor");
}

// ---- monitors ----

struct MonitorCase
{
    const char* name;
    std::vector<pt::Monitor> monitors;
    RECT query;
    DWORD flags;
    int expected; // index into monitors, -1 for none
};

class Monitors : public ::testing::TestWithParam<MonitorCase>
{
protected:
    void SetUp() override { pt::reset(); }
};

TEST_P(Monitors, PicksTheMonitorAsWindowsDoes)
{
    const MonitorCase& c = GetParam();
    pt::setMonitors(c.monitors);
    HMONITOR m = MonitorFromRect(&c.query, c.flags);
    if (c.expected < 0)
    {
        EXPECT_EQ(m, nullptr);
        return;
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(m, &info));
    const pt::Monitor& want = c.monitors.empty() ? pt::Monitor{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}
                                                 : c.monitors[static_cast<std::size_t>(c.expected)];
    EXPECT_EQ(info.rcWork.left, want.work.left);
    EXPECT_EQ(info.rcWork.bottom, want.work.bottom);
    EXPECT_EQ(info.rcMonitor.right, want.monitor.right);
    EXPECT_EQ((info.dwFlags & MONITORINFOF_PRIMARY) != 0, want.primary);
}

const std::vector<pt::Monitor> twoMonitors{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true},
                                           {{-1280, -200, 0, 824}, {-1280, -200, 0, 784}, false}};

INSTANTIATE_TEST_SUITE_P(
    Cases, Monitors,
    ::testing::Values(MonitorCase{"Default", {}, RECT{400, 20, 1280, 536}, MONITOR_DEFAULTTONEAREST, 0},
                      MonitorCase{"EmptyRectInside", {}, RECT{400, 20, 400, 20}, MONITOR_DEFAULTTONEAREST, 0},
                      MonitorCase{"MostOverlap", twoMonitors, RECT{-800, 0, 80, 516}, MONITOR_DEFAULTTONEAREST, 1},
                      MonitorCase{"NegativeOrigin", twoMonitors, RECT{-30000, -30000, -30000, -30000},
                                  MONITOR_DEFAULTTONEAREST, 1},
                      MonitorCase{"FarRight", twoMonitors, RECT{30000, 20, 30880, 536}, MONITOR_DEFAULTTONEAREST,
                                  0},
                      MonitorCase{"NoneWanted", twoMonitors, RECT{30000, 20, 30880, 536}, MONITOR_DEFAULTTONULL,
                                  -1},
                      MonitorCase{"Primary", twoMonitors, RECT{-30000, 0, -29000, 10}, MONITOR_DEFAULTTOPRIMARY,
                                  0}),
    [](const auto& param) { return param.param.name; });

// ---- close signals ----

TEST_F(Windows, SigtermBecomesWmCloseForTheMainWindow)
{
    ovr::kernel::installCloseSignals();
    TestWindow w;
    w.handler = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        return msg == WM_CLOSE ? std::optional<LRESULT>(0) : std::nullopt; // the program does not destroy
    };
    pt::pumpUntilIdle();
    std::raise(SIGTERM);
    std::raise(SIGINT);
    pt::pumpUntilIdle();
    EXPECT_EQ(w.seen(WM_CLOSE).size(), 1u);
    EXPECT_TRUE(IsWindow(w.hwnd()));
}

} // namespace
} // namespace ovr::test
