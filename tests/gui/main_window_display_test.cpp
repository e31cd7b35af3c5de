// Run under xvfb-run: the real main window on the X server, clicked there.
#include <chrono>
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/parameters.h"
#include "main_window_fixture.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

class MainWindowOnDisplay : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
        {
            GTEST_SKIP() << "no display (run under xvfb-run)";
        }
        MainWindowTest::SetUp();
    }
    bool onDisplay() const override { return true; }
};

TEST_F(MainWindowOnDisplay, AClickOnUnblockClearsTheBlockedCallsignInTheFile)
{
    ASSERT_TRUE(pt::pumpUntil([&] { return pt::shownOnDisplay(window()); }, 10s)) << "window never exposed";
    gf_setParameter(BLOCK_CALLSIGN, "KLM123");
    EnableWindow(g_unblockButton.hwnd, TRUE);
    pt::pumpUntilIdle();
    // The middle of "Unblock" (223, 257, 60 x 20).
    ASSERT_TRUE(pt::clickOnDisplay(window(), POINT{253, 267}));
    ASSERT_TRUE(pt::pumpUntil([] { return BLOCK_CALLSIGN.value().empty(); }, 10s));
    EXPECT_EQ(fileValue("BLOCK_CALLSIGN"), "");
    EXPECT_EQ(status(), "no more blocking of live aircraft 'KLM123'");
    EXPECT_FALSE(enabled(g_unblockButton));
}

} // namespace
} // namespace ovr::test
