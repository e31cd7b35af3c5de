#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gsl/gsl>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "core/user_error.h"
#include "dbase_fixture.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "liveries/prefix_alternatives.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace ovr::test
{
namespace
{

// --- Broken databases: one fixture per error --------------------------------

struct UserErrorCase
{
    const char* fixture;
    const char* message;
};

class DbaseUserErrorTest : public DbaseTest, public ::testing::WithParamInterface<UserErrorCase>
{
};

TEST_P(DbaseUserErrorTest, ThrowsUserError61AndLeavesNoPlainFile)
{
    EXPECT_EQ(errorOf<UserErrorException>([&] { readFixture(GetParam().fixture); }), GetParam().message);
    EXPECT_FALSE(fs::exists(plainPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DbaseUserErrorTest,
    ::testing::Values(
        UserErrorCase{"no_root.enc", "61: XML root missing: root"},
        UserErrorCase{"missing_section.enc", "61: Missing section: cargo_types"},
        UserErrorCase{
            "empty_section.enc",
            "61: In XML file section [aircrafts], element [aircraft], attribute [types] is empty."}));

TEST_F(DbaseTest, UnparsableTextIsRefusedWithWarningAndRemoved)
{
    EXPECT_FALSE(readFixture("unparsable.enc"));
    EXPECT_FALSE(fs::exists(plainPath()));
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr(fmt::format("==> '{}' not read because of ", plainPath().string())));
}

TEST_F(DbaseTest, MissingOrUndecryptableFileIsReportedAndLeavesNoPlainFile)
{
    EXPECT_EQ(errorOf<std::runtime_error>([&] { readAsIs(); }), encPath().string() + " not available");
    EXPECT_FALSE(fs::exists(plainPath()));

    std::ofstream(encPath(), std::ios::binary) << std::string(100, 'x');
    EXPECT_EQ(errorOf<std::runtime_error>([&] { readAsIs(); }),
              encPath().string() + " stream decrypt failed");
    EXPECT_FALSE(fs::exists(plainPath()));
}

TEST_F(DbaseTest, MissingLaterRequiredSectionKeepsWhatWasRead)
{
    DbaseText text;
    text.simaddons24.clear();
    EXPECT_EQ(errorOf<UserErrorException>([&] { read(text); }), "61: Missing section: simaddons24");
    EXPECT_TRUE(g_knownModels.contains("A320"));
    EXPECT_FALSE(fs::exists(plainPath()));
}

// --- A complete read ---------------------------------------------------------

TEST_F(DbaseTest, LogsTheSummaryLinesAndRemovesThePlainFile)
{
    DbaseText text;
    text.prefixes = R"(<similar types="D-, HB-, OE-"/>)";
    text.publishers = R"(<pub names="Orbx"/><pub names="FlyTampa"/>)";
    text.fixes = R"(<fx wro="B74F" cor="B744"/>)";
    text.dbase = R"(<d r="PH-BXA" a="KLM" m="B738"/><d r="D-AIMA" a="DLH" m="A388"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_FALSE(fs::exists(plainPath()));
    EXPECT_THAT(logLines(),
                ElementsAre("", "    6 ICAO model codes", "    1 prefixes", "    2 ICAO airline codes",
                            "    1 cargo operators", "    2 publishers", "    1 fixes", "1 simaddons24",
                            "    2 dbase records read"));
}

TEST_F(DbaseTest, ProgramReadsTheDatabaseOfItsWorkingFolder)
{
    std::ofstream(encPath(), std::ios::binary) << datatool::encryptText(DbaseText{}.xml());
    const fs::path previous = fs::current_path();
    fs::current_path(folder());
    auto restore = gsl::finally([&] { fs::current_path(previous); });
    EXPECT_TRUE(gf_readDbase());
    EXPECT_TRUE(g_knownModels.contains("A320"));
    EXPECT_FALSE(fs::exists("input/dbase.xml"));
}

TEST_F(DbaseTest, ListValuesAreTrimmedAndEmptyPiecesDropped)
{
    DbaseText text;
    text.aircrafts = "<aircraft types=\" A320 ,, \tB744\r\n, \"/><aircraft types=\"C172\"/>";
    ASSERT_TRUE(read(text));
    EXPECT_THAT(g_knownModels, ElementsAre("A320", "B744", "C172"));
}

TEST_F(DbaseTest, PoolsGetIdsInTheOrderOfTheFile)
{
    DbaseText text;
    text.aircrafts = R"(<aircraft types="PQ3C, PQ1A"/><aircraft types="PQ2B"/>)";
    text.cargoTypes = R"(<cargo_type types="PQ9Z"/>)";
    text.heavy = R"(<hvy types="PQ8Y, PQ1A"/>)";
    text.large = R"(<lar types="PQ7X"/>)";
    text.buzjet = R"(<bzj types="PQ6W"/>)";
    text.highPerformance = R"(<hpf types="PQ5V"/>)";
    text.rotorcraft = R"(<rot types="PQ4U"/>)";
    text.icaoAirlines = R"(<ICAO codes="QQB, QQA"/>)";
    text.cargoOperators = R"(<ICAO codes="QQZ"/>)";
    text.dbase = R"(<d r="X-AAAA" a="QQY" o="QQX" m="PQ0T"/>)";
    ASSERT_TRUE(read(text));

    EXPECT_EQ(g_modelCodes.find(""), 0);
    std::uint16_t first = *g_modelCodes.find("PQ1A");
    const char* models[] = {"PQ1A", "PQ2B", "PQ3C", "PQ9Z", "PQ8Y", "PQ7X", "PQ6W", "PQ5V", "PQ4U", "PQ0T"};
    for (std::uint16_t i = 0; i < std::size(models); ++i)
        EXPECT_EQ(g_modelCodes.find(models[i]), first + i) << models[i];

    EXPECT_EQ(g_airlineCodes.find(""), 0);
    std::uint16_t firstAirline = *g_airlineCodes.find("QQA");
    const char* airlines[] = {"QQA", "QQB", "QQZ", "QQY", "QQX"};
    for (std::uint16_t i = 0; i < std::size(airlines); ++i)
        EXPECT_EQ(g_airlineCodes.find(airlines[i]), firstAirline + i) << airlines[i];
}

TEST_F(DbaseTest, FixesCorrectTheTypesOfRegistrationRecords)
{
    DbaseText text;
    text.fixes = R"(<fx wro="FXW1" cor="B744"/>)";
    text.dbase = R"(<d r="D-ABTK" a="DLH" m="FXW1"/>)";
    ASSERT_TRUE(read(text));
    ASSERT_EQ(g_dbase.size(), 1u);
    EXPECT_EQ(g_dbase[0].key.model, gf_modelId("B744"));
    EXPECT_FALSE(g_modelCodes.find("FXW1"));
}

TEST_F(DbaseTest, FixesToUnknownTypesAndRepeatedFixesAreSkipped)
{
    DbaseText text;
    text.fixes =
        R"(<fx wro="FXW2" cor="B744"/><fx wro="FXW2" cor="A320"/><fx wro="FXW3" cor="ZZZZ"/><fx wro="FXW4"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(g_modelFixes, (decltype(g_modelFixes){{"FXW2", "B744"}}));
    EXPECT_THAT(logLines(),
                ::testing::IsSupersetOf({"==> wrong part of fix: 'FXW2', already exists, skipped",
                                         "==> wrong fix FXW3 -> ZZZZ, the latter is not valid",
                                         "==> wrong fix FXW4 -> , the latter is not valid", "    1 fixes"}));
}

TEST_F(DbaseTest, WingspansAreHalfSpansInNauticalMiles)
{
    DbaseText text;
    text.wingspans = R"(<wingspan type="A320" meters="35.8"/>)"
                     R"(<wingspan type="B744" meters="60"/><wingspan type="B744" meters="64.44"/>)"
                     R"(<wingspan type="ZZZZ" meters="99"/><wingspan meters="99"/>)"
                     R"(<wingspan type="C172" meters="wide"/>)";
    ASSERT_TRUE(read(text));

    EXPECT_NEAR(gf_wingspanOf(gf_modelId("A320")), 0.0096652, 1e-7);
    // The first entry of a type stays; the larger one still raises the maximum.
    EXPECT_DOUBLE_EQ(gf_wingspanOf(gf_modelId("B744")), 30.0 / 1852);
    EXPECT_DOUBLE_EQ(g_maxWingSpan, 32.22 / 1852);
    EXPECT_EQ(gf_wingspanOf(gf_modelId("C172")), 0.0);
    EXPECT_EQ(gf_wingspanOf(gf_modelId("EC35")), 0.0);
    EXPECT_FALSE(g_halfSpans.contains("ZZZZ"));
    EXPECT_THAT(logLines(), ::testing::IsSupersetOf({"==> wingspan model ZZZZ is not valid, skipped",
                                                     "==> wingspan model  is not valid, skipped"}));
}

// A span no aircraft has is refused: it would make every stand too small, or
// any stand fit.
TEST_F(DbaseTest, WingspansOutsideWhatAircraftHaveAreRefused)
{
    DbaseText text;
    text.wingspans = R"(<wingspan type="A320" meters="-5"/><wingspan type="B744" meters="250"/>)"
                     R"(<wingspan type="C172" meters="nan"/><wingspan type="EC35" meters="100"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(gf_wingspanOf(gf_modelId("A320")), 0.0);
    EXPECT_EQ(gf_wingspanOf(gf_modelId("B744")), 0.0);
    EXPECT_EQ(gf_wingspanOf(gf_modelId("C172")), 0.0);
    EXPECT_DOUBLE_EQ(gf_wingspanOf(gf_modelId("EC35")), 50.0 / 1852);
    EXPECT_DOUBLE_EQ(g_maxWingSpan, 50.0 / 1852);
    EXPECT_THAT(logLines(), ::testing::IsSupersetOf({"==> wingspan of model A320 (-5 m) is not valid, skipped",
                                                     "==> wingspan of model B744 (250 m) is not valid, skipped",
                                                     "==> wingspan of model C172 (nan m) is not valid, skipped"}));
}

TEST_F(DbaseTest, PrefixGroupsGiveTheOtherMembersOfTheGroup)
{
    DbaseText text;
    text.prefixes = R"(<similar types="OE-, D-, HB-"/><similar types="F-"/><similar types="D-, PH-"/>)";
    ASSERT_TRUE(read(text));

    EXPECT_THAT(g_prefixGroups,
                ElementsAre(ElementsAre("D-", "HB-", "OE-"), ElementsAre("F-"), ElementsAre("D-", "PH-")));
    EXPECT_THAT(gf_prefixAlternatives("HB-"), UnorderedElementsAre("D-", "OE-"));
    // D- stands in two groups: the text "D-,HB-,OE-" sorts before "D-,PH-".
    EXPECT_THAT(g_prefixAlternatives.at("D-"), ElementsAre("HB-", "OE-"));
    EXPECT_THAT(gf_prefixAlternatives("F-"), IsEmpty());
    EXPECT_THAT(gf_prefixAlternatives("G-"), IsEmpty());
}

TEST_F(DbaseTest, PrefixAlternativesAreShuffled)
{
    DbaseText text;
    text.prefixes = R"(<similar types="A-, B-, C-, D-, E-, F-"/>)";
    ASSERT_TRUE(read(text));
    std::vector<std::string> first = gf_prefixAlternatives("A-");
    bool changed = false;
    for (int i = 0; i < 50 && !changed; ++i)
        changed = gf_prefixAlternatives("A-") != first;
    EXPECT_TRUE(changed);
    EXPECT_THAT(gf_prefixAlternatives("A-"), UnorderedElementsAre("B-", "C-", "D-", "E-", "F-"));
}

TEST_F(DbaseTest, RegistrationTableIsSortedAndTheFirstOfEqualRecordsStays)
{
    DbaseText text;
    text.dbase = R"(<d r="PH-BXB" a="KLM" m="B744"/><d r="D-AIMA" a="DLH" m="A320"/>)"
                 R"(<d r="PH-BXB" a="DLH" m="A320"/><d r="PH-BX" a="KLM" m="B744"/>)";
    ASSERT_TRUE(read(text));
    ASSERT_EQ(g_dbase.size(), 3u);
    EXPECT_EQ(g_dbase[0].r, "D-AIMA");
    EXPECT_EQ(g_dbase[1].r, "PH-BX");
    EXPECT_EQ(g_dbase[2].r, "PH-BXB");
    EXPECT_EQ(g_dbase[2].key.airline, gf_airlineId("KLM"));
    EXPECT_THAT(logLines(), ::testing::Contains("    3 dbase records read"));
}

TEST_F(DbaseTest, RegistrationRecordKeys)
{
    DbaseText text;
    text.dbase = R"(<d r="D-ACNA" a="DLH" o="CLH" m="A320" c="true"/><d r="PH-BXA" a="KLM" m="B744" c="no"/>)"
                 R"(<d r="" a="KLM" m="A320"/><d a="DLH" m="B744"/>)";
    ASSERT_TRUE(read(text));
    ASSERT_EQ(g_dbase.size(), 2u);
    EXPECT_EQ(g_dbase[0].key,
              (FlightKey{gf_airlineId("DLH"), gf_airlineId("CLH"), gf_modelId("A320"), 1, 1}));
    EXPECT_EQ(g_dbase[1].key, (FlightKey{gf_airlineId("KLM"), 0, gf_modelId("B744"), 0, 1}));
    EXPECT_THAT(logLines(), ::testing::IsSupersetOf(
                                {"==> dbase record without registration (a='KLM' m='A320') skipped",
                                 "==> dbase record without registration (a='DLH' m='B744') skipped"}));
}

TEST_F(DbaseTest, ShortRecordsAreKeywordsOfTitles)
{
    DbaseText text;
    text.dbase =
        R"(<d r="PH-BXA" a="KLM" m="B744"/><d r="PH-" a="KLM" m="B744"/><d r="FedEx" a="FDX" m="B744"/>)";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(gf_findDbaseRecord("PH-BXA"), "PH-");
    EXPECT_EQ(gf_findDbaseRecord("FedEx Express B777F"), "FedEx");
    EXPECT_EQ(gf_findDbaseRecord("fedex"), std::nullopt);
    EXPECT_EQ(gf_findDbaseRecord("PH"), std::nullopt);
    EXPECT_EQ(gf_findDbaseRecord(""), std::nullopt);
}

TEST_F(DbaseTest, PublishersAreGroupedByTheirWholeNamesText)
{
    DbaseText text;
    text.publishers =
        R"(<pub names="Orbx, ORBX Simulation"/><pub names="FlyTampa"/><pub names="Orbx, ORBX Simulation"/>)"
        R"(<pub names="Aerosoft,, Aero Soft ,"/><pub names=" , "/>)";
    ASSERT_TRUE(read(text));
    EXPECT_THAT(g_publisherGroups, ElementsAre(ElementsAre("Aerosoft", "Aero Soft"), ElementsAre("FlyTampa"),
                                               ElementsAre("Orbx", "ORBX Simulation")));
    EXPECT_THAT(
        logLines(),
        ::testing::IsSupersetOf(
            {"==> publisher names 'Aerosoft,, Aero Soft ,' hold an empty name, the empty name is dropped",
             "==> publisher names ' , ' hold an empty name, the empty name is dropped", "    3 publishers"}));
}

TEST_F(DbaseTest, ThirdPartyEntriesKeepFileOrder)
{
    DbaseText text;
    text.thirdparties20 = R"(<thirdpartie20 pub="Orbx" arpts="LOWI, , EGLC"/><thirdpartie20/>)";
    text.thirdparties24 = R"(<thirdpartie24 pub="FlyTampa" arpts="EHAM"/>)";
    ASSERT_TRUE(read(text));
    ASSERT_EQ(g_thirdParties20.size(), 2u);
    EXPECT_EQ(g_thirdParties20[0].publisher, "Orbx");
    EXPECT_THAT(g_thirdParties20[0].airports, ElementsAre("LOWI", "EGLC"));
    EXPECT_EQ(g_thirdParties20[1].publisher, "");
    EXPECT_THAT(g_thirdParties20[1].airports, IsEmpty());
    ASSERT_EQ(g_thirdParties24.size(), 1u);
}

TEST_F(DbaseTest, ShippedDatabaseReadsCompletelyWithoutWarnings)
{
    ASSERT_TRUE(readFixture("shipped_dbase.enc"));
    EXPECT_GT(g_knownModels.size(), 100u);
    EXPECT_GT(g_dbase.size(), 10u);
    for (const std::string& line : logLines())
        EXPECT_FALSE(line.starts_with("==> ")) << line;
    EXPECT_EQ(gf_fixedModelName("B74F"), "B744");
    EXPECT_EQ(gf_categoryOfModelName("A388"), kCategoryHeavy);
}

} // namespace
} // namespace ovr::test
