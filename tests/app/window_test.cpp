// The main window: its position kept on a monitor, the close button, and
// the quit message that saves the position.
#include <tuple>

#include <gtest/gtest.h>

#include "../params/parameters_fixture.h"
#include "app/program_entry.h"
#include "app/start_up.h"
#include "app_fixture.h"
#include "core/parameters.h"
#include "core/stop_request.h"
#include "gui/app_window.h"
#include "gui/window_position.h"
#include "gui/window_procedure.h"
#include "platform/win/test_support.h"

namespace ovr::test
{
namespace
{

struct FitCase
{
    std::string name;
    int x;
    int y;
    int fittedX;
    int fittedY;
};

void PrintTo(const FitCase& c, std::ostream* out)
{
    *out << c.name;
}

class WindowFit : public AppTest, public ::testing::WithParamInterface<FitCase>
{
};

// The default monitor: 1920 x 1080 with a work area of 1920 x 1040; the
// window is 880 x 516.
TEST_P(WindowFit, KeepsFortyEightPixelsInTheWorkArea)
{
    const FitCase& c = GetParam();
    g_hMainWnd.store(nullptr); // before the window exists
    MAIN_WINDOW_X.current.store(c.x);
    MAIN_WINDOW_Y.current.store(c.y);
    lf_fitWindowToMonitor(MAIN_WINDOW_X.defaultValue, MAIN_WINDOW_Y.defaultValue);
    EXPECT_EQ(MAIN_WINDOW_X.current.load(), c.fittedX);
    EXPECT_EQ(MAIN_WINDOW_Y.current.load(), c.fittedY);
    const std::string file = readFile(parametersFile());
    for (const auto& [key, before, after] :
         {std::tuple{"MAIN_WINDOW_X", c.x, c.fittedX}, {"MAIN_WINDOW_Y", c.y, c.fittedY}})
    {
        if (before != after)
        {
            EXPECT_NE(file.find(std::string("name=\"") + key + "\" value=\"" + std::to_string(after) + "\""),
                      std::string::npos)
                << file;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, WindowFit,
                         ::testing::Values(FitCase{"OnScreen", 400, 20, 400, 20},
                                           FitCase{"TopLeft", 0, 0, 0, 0},
                                           FitCase{"FarRightAndDown", 20000, 15000, 1872, 992},
                                           FitCase{"FarLeftAndUp", -5000, -2000, -832, -468},
                                           FitCase{"ClampedMinimum", -30000, 20, 400, 20},
                                           FitCase{"ClampedMaximum", 400, 30000, 400, 20}),
                         caseName);

TEST_F(AppTest, AWindowOnASecondMonitorStaysThere)
{
    platform_test::setMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true},
                                {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1080}, false}});
    g_hMainWnd.store(nullptr);
    MAIN_WINDOW_X.current.store(2500);
    MAIN_WINDOW_Y.current.store(300);
    lf_fitWindowToMonitor(400, 20);
    EXPECT_EQ(MAIN_WINDOW_X.current.load(), 2500);
    EXPECT_EQ(MAIN_WINDOW_Y.current.load(), 300);
}

// No title resource: the window cannot be set up, and the program's exit
// code must not say that it ran.
TEST_F(AppTest, AWindowThatCannotBeSetUpEndsWithAFailureCode)
{
    EXPECT_NE(lf_runApplication(nullptr), 0);
}

class MainWindowTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        window = createTopLevelWindow(L"Vora", lf_WndProc);
        g_hMainWnd.store(window);
    }

    HWND window = nullptr;
};

TEST_F(MainWindowTest, CloseSetsUserClosedSimOnlyAsFirstReason)
{
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_exitReason.load(), kExitUserClosedSim);
    EXPECT_EQ(g_stop.load(), 1);
    EXPECT_EQ(g_userClosed.load(), 1);
    EXPECT_TRUE(IsWindow(window));

    g_exitReason.store(kExitReaderError);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_exitReason.load(), kExitReaderError);
    EXPECT_EQ(g_closeClicked.load(), 1);
}

TEST_F(MainWindowTest, TheQuitMessageSavesThePositionAndQuitsWithTheQuitCode)
{
    SetWindowPos(window, nullptr, 600, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    g_quitCode.store(3);
    PostMessageW(window, kSaveAndQuitMessage, 0, 0);
    const platform_test::PumpResult result = platform_test::pumpUntilIdle();
    EXPECT_EQ(result.quitCode, 3);
    EXPECT_EQ(MAIN_WINDOW_X.current.load(), 600);
    EXPECT_EQ(MAIN_WINDOW_Y.current.load(), 100);
    const std::string file = readFile(parametersFile());
    EXPECT_NE(file.find(R"(name="MAIN_WINDOW_X" value="600")"), std::string::npos) << file;
}

TEST_F(MainWindowTest, AWindowLeftOffScreenIsPulledBackWhenItQuits)
{
    SetWindowPos(window, nullptr, 5000, 4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageW(window, kSaveAndQuitMessage, 0, 0);
    platform_test::pumpUntilIdle();
    EXPECT_EQ(MAIN_WINDOW_X.current.load(), 1872);
    EXPECT_EQ(MAIN_WINDOW_Y.current.load(), 992);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 1872);
}

} // namespace
} // namespace ovr::test
