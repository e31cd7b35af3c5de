#include <gtest/gtest.h>

#include "dbase_fixture.h"
#include "liveries/publishers.h"

namespace ovr::test
{
namespace
{

TEST(MatchesNoCase, FoldsAsciiLettersOnly)
{
    struct Case
    {
        const char* text;
        const char* needle;
        bool matches;
    } cases[] = {
        {"Community/orbx-airport-lowi", "ORBX", true},
        {"abc", "", true},
        {"", "", true},
        {"ab", "abc", false},
        {"FlyTampa-Amsterdam", "tampa-a", true},
        {"\xC3\x89"
         "cole",
         "\xC3\xA9", false}, // É and é are not ASCII: no folding
        {"Aerosoft", "soft ", false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(lf_matchesNoCase(std::string_view(c.text), c.needle), c.matches)
            << c.text << " / " << c.needle;
        EXPECT_EQ(lf_matchesNoCase(std::filesystem::path(c.text), c.needle), c.matches) << c.text;
    }
}

class PublisherTest : public DbaseTest
{
  protected:
    void SetUp() override
    {
        DbaseTest::SetUp();
        DbaseText text;
        text.publishers = R"(<pub names="Orbx, FullTerrain"/><pub names="FlyTampa"/><pub names="Fly, ,"/>)";
        text.thirdparties20 =
            R"(<thirdpartie20 pub="Orbx" arpts="LOWI, EGLC"/><thirdpartie20 pub="Orbx" arpts="YBBN"/>)"
            R"(<thirdpartie20 pub="Fly Tampa" arpts="EHAM"/>)";
        text.thirdparties24 = R"(<thirdpartie24 pub="Orbx" arpts="LOWI"/>)";
        ASSERT_TRUE(read(text));
    }
};

TEST_F(PublisherTest, FirstMatchingGroupNamesThePublisher)
{
    struct Case
    {
        const char* text;
        std::optional<std::string> publisher;
    } cases[] = {
        {"orbx-lowi-innsbruck", "Orbx"},
        {"Community\\fullterrain-egll", "Orbx"}, // another name of the group
        {"flytampa-eham", "Fly"},                // groups are tried in order: "Fly" sorts first
        {"Aerosoft EDLP", std::nullopt},         // the stray empty name of "Fly, ," claims nothing
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_findPublisher(c.text), c.publisher) << c.text;
}

TEST_F(PublisherTest, ThirdPartyAirportsPerSimulator)
{
    struct Case
    {
        bool sim2020;
        const char* publisher;
        const char* icao;
        bool shipped;
    } cases[] = {
        {true, "Orbx", "EGLC", true},   {true, "Orbx", "YBBN", true}, // every entry of a publisher counts
        {false, "Orbx", "EGLC", false}, {false, "Orbx", "LOWI", true},     {true, "Orbx", "lowi", false},
        {true, "orbx", "LOWI", false},  {true, "Fly Tampa", "EHAM", true}, {true, "FlyTampa", "EHAM", false},
        {true, "", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_isThirdParty(c.sim2020, c.publisher, c.icao), c.shipped)
            << c.sim2020 << " " << c.publisher << " " << c.icao;
}

} // namespace
} // namespace ovr::test
