#include "core/status_line.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ovr
{
namespace
{

int g_posts = 0;

class StatusLineTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        gf_resetStatusLine();
        gf_setStatusPostHook(
            [](UINT message)
            {
                EXPECT_EQ(message, 0x8060u);
                ++g_posts;
            });
        g_posts = 0;
    }
    void TearDown() override
    {
        gf_setStatusPostHook(nullptr);
        gf_resetStatusLine();
    }
    static void age(int seconds)
    {
        for (int i = 0; i < seconds; ++i)
            gf_ageStatus();
    }
    test::LogCapture log;
};

TEST_F(StatusLineTest, StatusIsShownPostedAndOptionallyLogged)
{
    gf_setStatus("quiet", false);
    EXPECT_EQ(gf_statusTexts().status, "quiet");
    gf_setStatus("loud", true);
    EXPECT_EQ(gf_statusTexts().status, "loud");
    gf_setStatus("", true); // clears, logs nothing
    EXPECT_EQ(gf_statusTexts().status, "");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"loud"});
    EXPECT_EQ(g_posts, 3);
}

// A message carrying a file's or a reply's text stays one sane line, cut at
// a character boundary.
TEST_F(StatusLineTest, LongMessagesAreCut)
{
    const std::string huge = std::string(299, 'x') + "\xC3\xA9" + std::string(1 << 20, 'y');
    gf_setStatus(huge, true);
    EXPECT_EQ(gf_statusTexts().status, std::string(299, 'x') + "...");
    gf_setErrorStatus(huge);
    EXPECT_EQ(gf_statusTexts().error, std::string(299, 'x') + "...");
    for (const std::string& line : log.lines())
        EXPECT_LT(line.size(), 400u);
}

TEST_F(StatusLineTest, AnErrorTakesPrecedenceUntilCleared)
{
    gf_setStatus("before", false);
    gf_setErrorStatus("disk full");
    EXPECT_EQ(gf_statusTexts().status, "");
    EXPECT_EQ(gf_statusTexts().error, "disk full");
    gf_setStatus("ignored", true);
    gf_clearStatus();
    EXPECT_EQ(gf_statusTexts().status, "");
    EXPECT_EQ(gf_statusTexts().error, "disk full");
    EXPECT_EQ(g_posts, 2); // the ignored calls post nothing
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Error disk full"});

    gf_clearErrorStatus();
    EXPECT_EQ(gf_statusTexts().error, "");
    gf_setStatus("after", false);
    EXPECT_EQ(gf_statusTexts().status, "after");
}

struct AgeingCase
{
    int secondsBeforeSet;
    int agedAfterSet;
    bool stillShown;
};

TEST_F(StatusLineTest, OrdinaryMessagesAgeOut)
{
    const AgeingCase cases[] = {
        // set in the first second (counter 0): recorded as 1, so it still ages out
        {0, 25, true}, {0, 26, false}, {5, 24, true}, {5, 25, false}, {5, 0, true},
    };
    for (const AgeingCase& c : cases)
    {
        gf_resetStatusLine();
        age(c.secondsBeforeSet);
        gf_setStatus("message", false);
        age(c.agedAfterSet);
        EXPECT_EQ(gf_statusTexts().status.empty(), !c.stillShown)
            << c.secondsBeforeSet << " then " << c.agedAfterSet;
    }
}

TEST_F(StatusLineTest, ErrorsDoNotAgeAndResetClearsAll)
{
    gf_setErrorStatus("stays");
    age(100);
    EXPECT_EQ(gf_statusTexts().error, "stays");
    gf_resetStatusLine();
    EXPECT_EQ(gf_statusTexts().error, "");
    EXPECT_EQ(gf_statusTexts().status, "");
    // the counters start again: a message set now lives its full time
    age(3);
    gf_setStatus("fresh", false);
    age(24);
    EXPECT_EQ(gf_statusTexts().status, "fresh");
}

} // namespace
} // namespace ovr
