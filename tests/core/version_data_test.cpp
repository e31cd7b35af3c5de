#include "core/version_data.h"

#include <gtest/gtest.h>

#include "core/globals.h"
#include "test_support.h"

namespace ovr
{
namespace
{

struct VersionCase
{
    std::string_view text;
    VersionData expected;
    std::string_view logLine; // empty: nothing logged
};

VersionData v(int a, int b, int c)
{
    VersionData d;
    d.major = a;
    d.minor = b;
    d.patch = c;
    return d;
}

TEST(VersionData, ReadsDottedTextAndJsonAndNeverThrows)
{
    const VersionCase cases[] = {
        {"12.5.5", v(12, 5, 5), ""},
        {"0.0.1", v(0, 0, 1), ""},
        {"", v(0, 0, 0), ""},
        {" 12.5.5", v(0, 0, 0), "VersionData exception: invalid version format"},
        {"1.2", v(0, 0, 0), "VersionData exception: invalid version format"},
        {"1.2.3.4", v(0, 0, 0), "VersionData exception: invalid version format"},
        {"1.2.x", v(0, 0, 0), "VersionData exception: invalid version format"},
        {"12345678901.0.0", v(0, 0, 0), "VersionData exception: parse error in version string"},
        {R"({"major": 3, "minor": 1, "patch": 7})", v(3, 1, 7), ""},
        {R"(  {"major": 3, "minor": 1} )", v(3, 1, 0), ""},
        {R"({"major": 3, "minor": 1, "patch": "7"})", v(3, 1, 0), ""},
        {R"({"major": 3.5, "minor": true, "patch": -2})", v(0, 0, -2), ""},
        {"[1, 2, 3]", v(0, 0, 0), "VersionData exception: invalid version format"},
        {R"({"major": 9999999999})", v(0, 0, 0), "VersionData exception: narrowing_error"},
    };
    for (const VersionCase& c : cases)
    {
        test::LogCapture log;
        VersionData d(c.text);
        EXPECT_EQ(d, c.expected) << c.text;
        auto lines = log.lines();
        if (c.logLine.empty())
            EXPECT_TRUE(lines.empty()) << c.text;
        else
            EXPECT_EQ(lines, std::vector<std::string>{std::string(c.logLine)}) << c.text;
    }
}

TEST(VersionData, BrokenJsonLogsTheParsersMessage)
{
    test::LogCapture log;
    VersionData d(R"({"major": )");
    EXPECT_EQ(d, VersionData{});
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("VersionData exception: [json.exception.parse_error")) << lines[0];
}

TEST(VersionData, ProgramVersionAndOrder)
{
    EXPECT_EQ(g_version, v(12, 5, 5));
    EXPECT_LT(v(1, 9, 9), v(2, 0, 0));
    EXPECT_LT(v(2, 0, 9), v(2, 1, 0));
}

} // namespace
} // namespace ovr
