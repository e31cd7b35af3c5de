#include "core/code_pool.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/code_pool_detail.h"
#include "test_support.h"

namespace ovr
{
namespace
{

TEST(CodePool, InterningGivesIdsInOrderAndOnceEach)
{
    CodePool pool("test");
    EXPECT_EQ(pool.intern(""), 0);
    EXPECT_EQ(pool.intern("KLM"), 1);
    EXPECT_EQ(pool.intern("DLH"), 2);
    EXPECT_EQ(pool.intern("KLM"), 1);
    EXPECT_EQ(pool.size(), 3u);
    EXPECT_EQ(pool.find("DLH"), 2);
    EXPECT_FALSE(pool.find("BAW"));
    EXPECT_EQ(pool.text(1), "KLM");
    EXPECT_EQ(pool.text(3), "");
    EXPECT_EQ(pool.text(65535), "");
}

std::optional<std::string> fixB74F(std::string_view text)
{
    if (text == "B74F")
        return "B744";
    if (text == "A3X0")
        return "A380";
    return std::nullopt;
}

struct ModelCase
{
    bool sealed;
    std::string_view text;
    std::string_view expectedText; // the text of the id returned
    std::size_t expectedSize;
};

TEST(CodePool, ModelCorrectionsOnceSealed)
{
    const ModelCase cases[] = {
        {true, "B74F", "B744", 2},  // corrected, not added
        {true, "A3X0", "A3X0", 3},  // correction not held: the text itself is added
        {true, "C172", "C172", 3},  // no correction
        {false, "B74F", "B74F", 3}, // not sealed: no correction asked
        {true, "B744", "B744", 2},
    };
    for (const ModelCase& c : cases)
    {
        CodePool pool("model");
        pool.intern("");
        pool.intern("B744");
        pool.sealed = c.sealed ? 1 : 0;
        std::uint16_t id = detail::internModel(pool, c.text, fixB74F);
        EXPECT_EQ(pool.text(id), c.expectedText) << c.text;
        EXPECT_EQ(pool.size(), c.expectedSize) << c.text;
    }
}

TEST(CodePool, GlobalPoolsInternThroughTheirFunctions)
{
    std::uint16_t id = gf_airlineId("PVT");
    EXPECT_EQ(gf_airlineId("PVT"), id);
    EXPECT_EQ(g_airlineCodes.text(id), "PVT");
    std::uint16_t model = gf_modelId("B738");
    EXPECT_EQ(g_modelCodes.text(model), "B738");
}

TEST(CodePool, AFullPoolGivesNoCodeAndWarnsOnce)
{
    test::LogCapture log;
    CodePool pool("airline");
    for (std::size_t i = 0; i < CodePool::kMaxCodes; ++i)
        ASSERT_EQ(pool.intern(fmt::format("{}", i)), i);
    EXPECT_EQ(pool.intern("one too many"), 0);
    EXPECT_EQ(pool.intern("two too many"), 0);
    EXPECT_EQ(pool.intern("17"), 17); // held codes still resolve
    EXPECT_EQ(pool.size(), CodePool::kMaxCodes);
    EXPECT_FALSE(pool.find("one too many"));
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("==> airline code pool is full")) << lines[0];
}

} // namespace
} // namespace ovr
