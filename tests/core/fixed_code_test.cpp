#include "core/fixed_code.h"

#include <unordered_set>

#include <gtest/gtest.h>

#include "core/fnv1a.h"
#include "core/user_error.h"

namespace ovr
{
namespace
{

TEST(UserError, MessageCarriesTheCodeExceptFor99)
{
    EXPECT_STREQ(UserErrorException(99, "Complete text").what(), "Complete text");
    EXPECT_STREQ(UserErrorException(61, "No models").what(), "61: No models");
    EXPECT_STREQ(UserErrorException(-5, "T").what(), "-5: T");
    const std::runtime_error& asBase = UserErrorException(522, "T");
    EXPECT_STREQ(asBase.what(), "522: T");
}

TEST(FixedCode, AcceptedTextsAreFoldedToUpperCase)
{
    const std::pair<std::string_view, std::string_view> four[] = {
        {"EHAM", "EHAM"}, {"eham", "EHAM"}, {"k1g4", "K1G4"}, {"0000", "0000"}};
    for (auto [in, out] : four)
        EXPECT_EQ(FixedCode<4>(in).text(), out);
    EXPECT_EQ(FixedCode<3>("a1b").text(), "A1B");
    EXPECT_EQ(FixedCode<4>("eham"), FixedCode<4>("EHAM"));
    EXPECT_EQ(FixedCode<4>("eham").hash(), FixedCode<4>("EHAM").hash());
}

TEST(FixedCode, RefusedTextsNameTheWholeInput)
{
    const std::string_view four[] = {"EHAMX", "EHA", "", "EH M", "EH-M", "ÉHAM", "EHA\n"};
    for (std::string_view text : four)
    {
        try
        {
            FixedCode<4> code(text);
            ADD_FAILURE() << "accepted " << text;
        }
        catch (const std::invalid_argument& e)
        {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' FixedCode: invalid string (length/charset)");
        }
    }
    EXPECT_THROW(FixedCode<3>("AMST"), std::invalid_argument);
}

TEST(FixedCode, EmptyCodeReadsAndHashesAsBlanks)
{
    FixedCode<3> empty;
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.text(), "   ");
    EXPECT_EQ(empty.hash(), gf_fnv1a64("   "));
    EXPECT_EQ(FixedCode<4>().hash(), gf_fnv1a64("    "));
    EXPECT_FALSE(FixedCode<3>("AMS").empty());
}

TEST(FixedCode, HashIsFnv1aOfTheText)
{
    // FNV-1a 64 reference values
    EXPECT_EQ(gf_fnv1a64(""), 14695981039346656037ull);
    EXPECT_EQ(gf_fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(FixedCode<4>("EHAM").hash(), gf_fnv1a64("EHAM"));
    std::unordered_set<FixedCode<4>> set{FixedCode<4>("EHAM"), FixedCode<4>("eham"), FixedCode<4>("LFPG")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(FixedCode, FourLetterCodeRoundTripsThroughAWord)
{
    FixedCode<4> code("LFPG");
    EXPECT_EQ(FixedCode<4>::fromWord(code.word()), code);
    EXPECT_EQ(FixedCode<4>().word(), 0u);
    EXPECT_LT(FixedCode<4>("AAAA"), FixedCode<4>("AAAB"));
}

} // namespace
} // namespace ovr
