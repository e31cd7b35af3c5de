#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "airports/airport_list.h"
#include "airports/airport_list_detail.h"
#include "airports/supported_airports.h"
#include "airports_test_support.h"
#include "core/user_error.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

class AirportListTest : public ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        detail::resetAirportList();
    }
    void TearDown() override
    {
        detail::resetAirportList();
        g_supportedAirports.clear();
        ScratchTest::TearDown();
    }

    fs::path plainPath() const { return folder() / "airports.xml"; }
    bool readFixture(std::string_view name)
    {
        return detail::readAirportList(fs::path("fixtures") / name, plainPath());
    }
    // The user error's code and text of a read that fails.
    std::string failedRead(std::string_view name)
    {
        try
        {
            readFixture(name);
        }
        catch (const UserErrorException& e)
        {
            return e.what();
        }
        return "no user error";
    }
};

TEST_F(AirportListTest, ReadsTheAirportsSortedByCode)
{
    ASSERT_TRUE(readFixture("airports_ok.enc"));
    std::vector<std::string> codes;
    for (const Airport& a : g_airports)
        codes.push_back(a.icao.text());
    EXPECT_EQ(codes, (std::vector<std::string>{"EDDF", "EGLL", "EHAM", "LFPG"}));
    EXPECT_FALSE(fs::exists(plainPath()));
    EXPECT_TRUE(logHas("    4 airports read"));
}

TEST_F(AirportListTest, KeepsEachAirportsFields)
{
    ASSERT_TRUE(readFixture("airports_ok.enc"));
    const Airport* fra = gf_findAirport(IcaoCode("EDDF"));
    ASSERT_NE(fra, nullptr);
    EXPECT_EQ(fra->code3, IataCode("FRA"));
    EXPECT_DOUBLE_EQ(fra->latitude, 50.036521);
    EXPECT_DOUBLE_EQ(fra->longitude, 8.561268);
    EXPECT_FLOAT_EQ(fra->elevation, 364.0f);
    EXPECT_EQ(fra->stands, 1);
    EXPECT_EQ(gf_findAirport(IcaoCode("LFPG"))->code3, IataCode("XXX"));
    EXPECT_EQ(gf_findAirport(IcaoCode("EGLL"))->stands, 0);
    EXPECT_EQ(gf_findAirport(IcaoCode("KJFK")), nullptr);
    EXPECT_TRUE(gf_isKnownAirport(IcaoCode("eham")));
    EXPECT_FALSE(gf_isKnownAirport(IcaoCode("EDDM")));
}

TEST_F(AirportListTest, WarnsAboutIncompleteAirports)
{
    ASSERT_TRUE(readFixture("airports_ok.enc"));
    EXPECT_TRUE(logHas("==> Missing stands for airport 'EGLL'"));
    EXPECT_TRUE(logHas("==> Missing alt for airport 'KJFK'"));
    EXPECT_TRUE(logHas("==> Missing latLons for airport 'EDDM'"));
    EXPECT_TRUE(
        logHas("==> Error storing airport 'EDDH' 'H': 'H' FixedCode: invalid string (length/charset)"));
    EXPECT_FALSE(gf_isKnownAirport(IcaoCode("EDDH")));
}

TEST_F(AirportListTest, ReadsOnce)
{
    ASSERT_TRUE(readFixture("airports_ok.enc"));
    EXPECT_TRUE(readFixture("airports_bad_code.enc"));
    EXPECT_EQ(g_airports.size(), 4u);
}

struct ListFailureCase
{
    std::string fixture;
    std::string message;
};

class AirportListFailureTest : public AirportListTest, public ::testing::WithParamInterface<ListFailureCase>
{
};

TEST_P(AirportListFailureTest, FailsWithUserError88AndNoPlainFile)
{
    const std::string expected = "88: " + fmt::format(fmt::runtime(GetParam().message), plainPath().string());
    EXPECT_EQ(failedRead(GetParam().fixture), expected);
    EXPECT_FALSE(fs::exists(plainPath()));
    // Nothing of a failed read stays, and the next read starts afresh.
    EXPECT_TRUE(g_airports.empty());
    EXPECT_TRUE(g_knownAirports.empty());
    EXPECT_TRUE(readFixture("airports_ok.enc"));
    EXPECT_EQ(g_airports.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    BrokenLists, AirportListFailureTest,
    ::testing::Values(
        ListFailureCase{"airports_bad_code.enc", "'EDD' FixedCode: invalid string (length/charset)"},
        ListFailureCase{"airports_no_list.enc", "Missing <airports> root in: {}"},
        ListFailureCase{"airports_unparsable.enc", "{} not loaded: Error parsing start element tag"}));

TEST_F(AirportListTest, ADecryptionFailureIsUserError88)
{
    const fs::path enc = folder() / "airports.enc";
    std::ofstream(enc, std::ios::binary) << std::string(100, 'x');
    std::string message;
    try
    {
        detail::readAirportList(enc, plainPath());
    }
    catch (const UserErrorException& e)
    {
        message = e.what();
    }
    EXPECT_EQ(message, "88: could not decrypt " + enc.string());
    EXPECT_FALSE(fs::exists(plainPath()));
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("gf_streamDecrypt exception: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "==> gf_readAirports exception : could not decrypt " + enc.string());
}

TEST(CodePairTextTest, ShowsTheThreeLetterCodeWhenThereIsOne)
{
    EXPECT_EQ(lf_codePairText(IcaoCode("EDDF"), IataCode("FRA")), "EDDF (FRA)");
    EXPECT_EQ(lf_codePairText(IcaoCode("EDDF"), IataCode("XXX")), "EDDF");
    EXPECT_EQ(lf_codePairText(IcaoCode(), IataCode("FRA")), "? (FRA)");
}

// Airports at a given distance north of a point on the equator, in list
// order (the list is sorted by code, so the codes fix the order).
class ClosestAirportTest : public ScratchTest
{
  protected:
    void TearDown() override
    {
        detail::resetAirportList();
        ScratchTest::TearDown();
    }
    void addAirport(std::string_view code, double northNm)
    {
        Airport airport;
        airport.icao = IcaoCode(code);
        airport.code3 = IataCode("XXX");
        airport.latitude = northNm / 60.0;
        airport.longitude = 10.0;
        g_airports.push_back(airport);
    }
    std::string closest() const
    {
        const Airport* a = gf_findClosestAirport(0.0, 10.0);
        return a ? a->icao.text() : "none";
    }
};

TEST_F(ClosestAirportTest, TheLastImprovementReplacesTheNeighbour)
{
    addAirport("AAAA", 4.0);
    addAirport("BBBB", 3.0);
    EXPECT_EQ(closest(), "BBBB");
    EXPECT_TRUE(logHas("Airport BBBB is closest, neighbour is AAAA"));
}

TEST_F(ClosestAirportTest, ANearerAirportMetFirstLeavesNoNeighbour)
{
    addAirport("AAAA", 3.0);
    addAirport("BBBB", 4.0);
    EXPECT_EQ(closest(), "AAAA");
    EXPECT_TRUE(logLines().empty());
}

struct RangeCase
{
    double northNm;
    bool found;
};

class ClosestAirportRangeTest : public ClosestAirportTest, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(ClosestAirportRangeTest, CountsAirportsWithinFiveMiles)
{
    addAirport("EDDF", GetParam().northNm);
    EXPECT_EQ(closest(), GetParam().found ? "EDDF" : "none");
}

INSTANTIATE_TEST_SUITE_P(Distances, ClosestAirportRangeTest,
                         ::testing::Values(RangeCase{0.0, true}, RangeCase{5.0, true},
                                           RangeCase{5.01, false}));

struct TextCase
{
    std::string text;
    std::string expected; // "" for none
};

class AirportCodeInTextTest : public ::testing::TestWithParam<TextCase>
{
  protected:
    void SetUp() override
    {
        for (const char* code : {"EDDF", "EHAM", "KSFO"})
            g_supportedAirports.insert(IcaoCode(code));
        for (const char* code : {"EDDF", "EHAM", "LFPG"})
            g_knownAirports.insert(IcaoCode(code));
    }
    void TearDown() override
    {
        g_supportedAirports.clear();
        detail::resetAirportList();
    }
};

TEST_P(AirportCodeInTextTest, FindsTheNamedAirport)
{
    const auto code = gf_findAirportCodeInText(GetParam().text);
    EXPECT_EQ(code ? code->text() : "", GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, AirportCodeInTextTest,
                         ::testing::Values(TextCase{"FLIGHT TO EDDF", "EDDF"},
                                           TextCase{"flight to eddf", "EDDF"}, TextCase{"XEDDFX", ""},
                                           TextCase{"KSFO then EHAM", "EHAM"}, TextCase{"KSFO only", "KSFO"},
                                           TextCase{"LFPG is known but not served", ""},
                                           TextCase{"EDDF/EHAM scenery", "EDDF"}, TextCase{"", ""},
                                           TextCase{"ABCD KSFO WXYZ", "KSFO"}));

// A long text of candidates is read once, not once per candidate.
TEST_F(AirportCodeInTextTest, ALongTextOfCandidatesIsReadOnce)
{
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "ABCD ";
    text += "EHAM";
    const auto code = gf_findAirportCodeInText(text);
    EXPECT_EQ(code ? code->text() : "", "EHAM");
}

} // namespace
} // namespace ovr::test
