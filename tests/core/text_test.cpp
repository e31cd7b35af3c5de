#include "core/text.h"

#include <gsl/gsl>
#include <gtest/gtest.h>

#include "core/globals.h"

namespace ovr
{
namespace
{

using Items = std::vector<std::string>;

TEST(Text, Trim)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {" \tx y \r\n", "x y"}, {"", ""}, {" \t\r\n", ""}, {"x", "x"}, {"\vx\f", "\vx\f"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(gf_trim(in), out) << in;
}

struct SplitCase
{
    std::string_view text;
    Items keepEmpty;    // lf_splitComma
    Items dropEmpty;    // gf_splitCommaList
    Items sortedUnique; // gf_splitTrimSorted
};

TEST(Text, CommaLists)
{
    const SplitCase cases[] = {
        {"a, b,", {"a", "b", ""}, {"a", "b"}, {"", "a", "b"}},
        {"a, ,b", {"a", "", "b"}, {"a", "b"}, {"", "a", "b"}},
        {"b,a,b", {"b", "a", "b"}, {"b", "a", "b"}, {"a", "b"}},
        {"", {}, {}, {}},
        {" ", {""}, {}, {""}},
        {",", {"", ""}, {}, {""}},
    };
    for (const SplitCase& c : cases)
    {
        EXPECT_EQ(lf_splitComma(c.text), c.keepEmpty) << c.text;
        EXPECT_EQ(gf_splitCommaList(c.text), c.dropEmpty) << c.text;
        auto sorted = gf_splitTrimSorted(c.text);
        EXPECT_EQ(Items(sorted.begin(), sorted.end()), c.sortedUnique) << c.text;
    }
}

TEST(Text, NormaliseCommaList)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"A1 , B2 , , C3", "A1,B2,C3"}, {"A1,,B2", "A1,,B2"}, {" , ", ""}, {"", ""}, {"A1\t", "A1"},
    };
    for (auto [in, out] : cases)
    {
        std::string text(in);
        gf_normaliseCommaList(text);
        EXPECT_EQ(text, out) << in;
    }
}

TEST(Text, Comparisons)
{
    EXPECT_TRUE(gf_upperEquals(".XML", ".xml"));
    EXPECT_TRUE(gf_upperEquals(".XML", ".XmL"));
    EXPECT_FALSE(gf_upperEquals(".XML", ".xm"));
    EXPECT_FALSE(gf_upperEquals(".xml", ".xml")); // the first text is given in upper case
    EXPECT_TRUE(gf_matchesWildcard("ABC", "ABC*"));
    EXPECT_FALSE(gf_matchesWildcard("ABC", "ABC"));
    EXPECT_FALSE(gf_matchesWildcard("ABC", "ABD*"));
    EXPECT_FALSE(gf_matchesWildcard("ABC", "ABC**"));
}

TEST(Text, IdTextFollowsTheSimulator)
{
    std::uint8_t saved = g_simIs2020;
    g_simIs2020 = 1;
    EXPECT_EQ(gf_idToText(255), "255");
    g_simIs2020 = 0;
    EXPECT_EQ(gf_idToText(255), "ff");
    g_simIs2020 = saved;
}

TEST(Text, Percentages)
{
    const struct
    {
        std::int64_t part, whole;
        std::int32_t percent;
    } cases[] = {{1, 3, 33}, {2, 3, 67}, {0, 3, 0},    {5, 0, 0},
                 {5, -1, 0}, {1, 8, 13}, {-1, 8, -13}, {3, 2, 150}};
    for (const auto& c : cases)
        EXPECT_EQ(gf_percentOf(c.part, c.whole), c.percent) << c.part << "/" << c.whole;
    EXPECT_THROW(gf_percentOf(INT64_C(100000000000), 1), gsl::narrowing_error);
}

TEST(Text, NumberTexts)
{
    EXPECT_EQ(gf_formatOneDecimal(2.0f), "2");
    EXPECT_EQ(gf_formatOneDecimal(2.5f), "2.5");
    EXPECT_EQ(gf_formatOneDecimal(-1.26f), "-1.3");
    EXPECT_EQ(gf_plural64(1), "");
    EXPECT_EQ(gf_plural64(-3), "");
    EXPECT_EQ(gf_plural64(0), "s");
    EXPECT_EQ(gf_plural64(2), "s");
    EXPECT_EQ(gf_plural(1), "");
    EXPECT_EQ(gf_pluralU64(1), "");
    EXPECT_EQ(gf_pluralU64(0), "s");
}

} // namespace
} // namespace ovr
