// The line readers of aircraft.cfg files: headers, keys and unquoting.
#include <string>

#include <gtest/gtest.h>

#include "scanners/cfg_keys.h"

namespace ovr::test
{
namespace
{

struct HeaderCase
{
    const char* name;
    std::string line;
    std::string number;
};

class FltsimHeader : public ::testing::TestWithParam<HeaderCase>
{
};

TEST_P(FltsimHeader, GivesTheNumberText)
{
    EXPECT_EQ(lf_fltsimNumber(GetParam().line), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FltsimHeader,
    ::testing::Values(HeaderCase{"Plain", "[fltsim.12]", "12"}, HeaderCase{"Blanks", "  [FltSim.007]  ", "007"},
                      HeaderCase{"TrailingComment", "[fltsim.1] // spare", "10000"},
                      HeaderCase{"NoDigits", "[Fltsim.x]", ""}, HeaderCase{"Comment", "//[fltsim.2]", ""},
                      HeaderCase{"Negative", "[fltsim.-1]", "10000"}, HeaderCase{"Upper", "xx[FLTSIM.3", "10000"},
                      HeaderCase{"MixedFallback", "x[FltSim.3", ""}, HeaderCase{"Empty", "", ""},
                      HeaderCase{"Slash", "/", ""}, HeaderCase{"Long", "[fltsim.99999999999]", "99999999999"}),
    [](const auto& test) { return test.param.name; });

struct KeyCase
{
    const char* name;
    std::string line;
    bool read;
    std::string value;
};

class TitleKey : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(TitleKey, ReadsAndUnquotes)
{
    std::string out = "before";
    EXPECT_EQ(lf_readTitle(GetParam().line, out), GetParam().read);
    EXPECT_EQ(out, GetParam().read ? GetParam().value : std::string("before"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TitleKey,
    ::testing::Values(KeyCase{"Upper", "TITLE = Abc", true, "Abc"}, KeyCase{"Blanks", "  title=Abc  ", true, "Abc"},
                      KeyCase{"Empty", "title=", false, ""}, KeyCase{"Prefixed", "xtitle=Abc", false, ""},
                      KeyCase{"QuotedBlanks", "title=\"  Abc  \"", true, "  Abc  "},
                      KeyCase{"OpenQuote", "title=\"Abc", false, ""}, KeyCase{"EmptyQuotes", "title=\"\"", false, ""},
                      KeyCase{"Comment", "title=Abc // old", true, "Abc // old"},
                      KeyCase{"Tabs", "\ttitle\t=\tA=b\t\r", true, "A=b"},
                      KeyCase{"CommentLine", "//title=X", false, ""},
                      KeyCase{"InnerCarriageReturn", "title=A\rB", false, ""}),
    [](const auto& test) { return test.param.name; });

TEST(CfgKeys, AtcIdNeedsFiveCharacters)
{
    std::string out;
    EXPECT_FALSE(lf_readAtcId("atc_id=N12", out));
    EXPECT_TRUE(lf_readAtcId("atc_id=N123A", out));
    EXPECT_EQ(out, "N123A");
    EXPECT_TRUE(lf_readAtcId("atc_id=\"D-ABCD\"", out));
    EXPECT_EQ(out, "D-ABCD");
}

TEST(CfgKeys, IcaoAirlineRules)
{
    const struct
    {
        std::string line;
        bool read;
        std::string code;
    } cases[] = {{"icao_airline=dlh", true, "DLH"},   {"icao_airline=ZZZZ", true, "ZZZ"},
                 {"icao_airline=\"\"", true, "ZZZ"},  {"icao_airline=zzzz", true, "ZZZZ"},
                 {"// icao_airline=DLH", false, "-"}, {"icao_airline=", false, "-"}};
    for (const auto& c : cases)
    {
        std::string out = "-";
        EXPECT_EQ(lf_readIcaoAirline(c.line, out), c.read) << c.line;
        EXPECT_EQ(out, c.code) << c.line;
    }
}

TEST(CfgKeys, TypeDesignatorIsCutAndUpperCased)
{
    EXPECT_EQ(lf_readTypeDesignator("icao_type_designator=b738max"), "B738");
    EXPECT_EQ(lf_readTypeDesignator("icao_type_designator=A3"), "A3");
    EXPECT_EQ(lf_readTypeDesignator("icao_type_designator = \"a20n\""), "A20N");
    EXPECT_EQ(lf_readTypeDesignator("type_designator=A320"), "");
}

TEST(CfgKeys, BaseContainerNeedsAStockName)
{
    EXPECT_EQ(lf_readBaseContainer("base_container=..\\"), "");
    EXPECT_EQ(lf_readBaseContainer("base_container=..\\NoSuchAircraft"), "");
    // A stock container gives its type; case matters.
    EXPECT_EQ(lf_readBaseContainer("base_container=..\\Asobo_C172sp_classic"), "C172");
    EXPECT_EQ(lf_readBaseContainer("base_container = \"..\\Asobo_A320_NEO\""), "A20N");
    EXPECT_EQ(lf_readBaseContainer("base_container=..\\asobo_c172sp_classic"), "");
}

TEST(CfgKeys, SubstringTestsSeeComments)
{
    EXPECT_TRUE(lf_hasAtcIdKey("//atc_id=X"));
    EXPECT_FALSE(lf_hasAtcIdKey("atc_id = X"));
    EXPECT_TRUE(lf_hasParkingTypesKey("// atc_parking_types"));
}

TEST(CfgKeys, SectionNumbers)
{
    const struct
    {
        std::string text;
        bool read;
        long long value;
    } cases[] = {{"0", true, 0},          {"007", true, 7},        {"-5", true, -5},
                 {"2147483647", true, 2147483647}, {"2147483648", false, 0}, {"-2147483648", true, -2147483648LL},
                 {"-2147483649", false, 0}, {"99999999999", false, 0}, {"12x", true, 12},
                 {"-", false, 0},          {"", false, 0}};
    for (const auto& c : cases)
    {
        long long value = 0;
        EXPECT_EQ(lf_readSectionNumber(c.text, value), c.read) << c.text;
        if (c.read)
        {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(CfgKeys, LongLinesAndGarbageAreHarmless)
{
    std::string longLine = "title=" + std::string(1 << 20, 'a');
    std::string out;
    EXPECT_TRUE(lf_readTitle(longLine, out));
    EXPECT_EQ(out.size(), std::size_t{1} << 20);
    std::string garbage;
    for (int i = 0; i < 256; ++i)
        garbage.push_back(static_cast<char>(i));
    garbage += "[fltsim.";
    EXPECT_EQ(lf_fltsimNumber(garbage), "10000");
    EXPECT_FALSE(lf_readTitle(garbage, out));
    EXPECT_EQ(lf_upper("\xe4x"), "\xe4X");
}

} // namespace
} // namespace ovr::test
