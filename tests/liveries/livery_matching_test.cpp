// The livery matching over livery tables built from small scanned-livery
// files: the steps in their order and depth, the pickers, the failed titles
// and the diagnostics in the log.

#include <map>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/random_detail.h"
#include "core/status_line.h"
#include "core/user_error.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/model_lookups.h"
#include "tables_fixture.h"

namespace ovr::test
{
namespace
{

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

struct Ac
{
    std::string_view airline;
    std::string_view model;
    std::string_view registration = {};
    bool cargo = false;
    std::string_view operatorCode = {};
};

AiAircraftRecord lf_record(const Ac& ac)
{
    AiAircraftRecord record;
    record.key.airline = gf_airlineId(ac.airline);
    record.key.secondAirline = ac.operatorCode.empty() ? std::uint16_t{0} : gf_airlineId(ac.operatorCode);
    record.key.model = gf_modelId(ac.model);
    record.key.cargo = ac.cargo ? 1 : 0;
    record.category = static_cast<std::uint32_t>(gf_categoryOfModel(record.key.model));
    record.callsign = "TST123";
    record.registration = std::string(ac.registration);
    return record;
}

class MatchingTest : public TablesTest
{
  protected:
    void SetUp() override
    {
        TablesTest::SetUp();
        detail::seedRandom(20240601);
        mark();
    }
    void TearDown() override
    {
        MATCHING_DEPTH.current.store(MATCHING_DEPTH.defaultValue);
        g_matchSteps.fill(0);
        g_failedTitles.clear();
        g_failedKeys.clear();
        g_noMatch.clear();
        g_rememberedLiveries.clear();
        g_stop.store(0);
        gf_resetStatusLine();
        TablesTest::TearDown();
    }

    // The tables of these liveries, built afresh.
    void build(const std::vector<std::string>& liveries)
    {
        gf_clearLiveryMatching();
        g_scannedLiveriesProcessed.store(0);
        writeScanned(liveries);
        gf_processScannedLiveries();
        mark();
    }

    // The log lines written since the last mark.
    void mark() { m_mark = logLines().size(); }
    Lines newLines() const
    {
        Lines lines = logLines();
        lines.erase(lines.begin(),
                    lines.begin() + static_cast<std::ptrdiff_t>(std::min(m_mark, lines.size())));
        return lines;
    }

    // The title given at spawn, "" for none.
    static std::string spawn(const Ac& ac)
    {
        AiAircraftRecord record = lf_record(ac);
        gf_matchLivery4SpawnedAc(record);
        return std::string(record.liveryTitle);
    }

    // The titles given in n spawns, with their counts.
    static std::map<std::string, int> spawnMany(const Ac& ac, int n)
    {
        std::map<std::string, int> counts;
        for (int i = 0; i < n; ++i)
            ++counts[spawn(ac)];
        return counts;
    }

    static void fail(std::string_view title) { g_failedTitles.emplace(title); }

    // The step-coded lines since the last mark.
    Lines matchLines() const
    {
        Lines found;
        for (const std::string& line : newLines())
        {
            if (line.starts_with("          ") && line.find(" =") != std::string::npos)
                found.push_back(line);
        }
        return found;
    }

  private:
    std::size_t m_mark = 0;
};

// ---- depth ----------------------------------------------------------------

struct DepthCase
{
    Ac ac;
    std::int32_t depth;
    std::string_view title;
    std::string_view step;
};

TEST_F(MatchingTest, EachDepthAddsItsStepsAndNoMore)
{
    build({livery("DLH", "A320", "A320 Lufthansa", "D-AIZB"), livery("ZZZ", "C172", "C172 Generic")});
    const Ac registered{"DLH", "A320", "D-AIZB"};
    const Ac sameAirline{"DLH", "A320", "D-AIXX"};
    const Ac similarType{"DLH", "A319", "D-AIXX"};
    const Ac generic{"KLM", "C172", "PH-ABC"};
    const DepthCase cases[] = {
        {registered, 1, "A320 Lufthansa", "1"},  {sameAirline, 1, "", ""},
        {sameAirline, 2, "A320 Lufthansa", "2"}, {similarType, 2, "", ""},
        {similarType, 3, "A320 Lufthansa", "3"}, {generic, 3, "", ""},
        {generic, 4, "C172 Generic", "4"},
    };
    for (const DepthCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.ac.model << " depth " << c.depth);
        MATCHING_DEPTH.current.store(c.depth);
        AiAircraftRecord record = lf_record(c.ac);
        gf_matchLivery4SpawnedAc(record);
        EXPECT_EQ(record.liveryTitle, c.title);
        if (!c.step.empty())
        {
            EXPECT_EQ(logLines().back(),
                      fmt::format("          {} ={}= {}", gf_flightText(record), c.step, c.title));
        }
    }
    EXPECT_EQ(g_matchSteps, (std::array<std::uint32_t, 7>{0, 1, 1, 1, 1, 0, 0}));
}

TEST_F(MatchingTest, AUniqueRegistrationIsStepZeroAndAFsltlTitleMarksReverseThrust)
{
    writeAig(
        R"(<l t="A320 Lufthansa FSLTL_x" r="D-AIPD" s="true"/><l t="A320 Lufthansa" r="D-AIPE, D-AIPF" s="true"/>)");
    build({livery("DLH", "A320", "A320 Lufthansa FSLTL_x"), livery("DLH", "A320", "A320 Lufthansa")});

    AiAircraftRecord unique = lf_record({"DLH", "A320", "D-AIPD"});
    gf_matchLivery4SpawnedAc(unique);
    EXPECT_EQ(unique.liveryTitle, "A320 Lufthansa FSLTL_x");
    EXPECT_EQ(unique.reverseThrust, 1);
    AiAircraftRecord shared = lf_record({"DLH", "A320", "D-AIPE"});
    shared.reverseThrust = 1;
    gf_matchLivery4SpawnedAc(shared);
    EXPECT_EQ(shared.liveryTitle, "A320 Lufthansa");
    EXPECT_EQ(shared.reverseThrust, 0);
    EXPECT_EQ(g_matchSteps[0], 1u);
    EXPECT_EQ(g_matchSteps[1], 1u);
}

// ---- airline and model ----------------------------------------------------

TEST_F(MatchingTest, ACargoFlightTakesCargoLiveriesFirstThenPassengerOnes)
{
    build({livery("BOX", "B77L", "B77L AeroLogic Pax"),
           livery("BOX", "B77L", "B77L AeroLogic Freighter", {}, true)});
    EXPECT_EQ(spawn({"BOX", "B77L", "D-AALX", true}), "B77L AeroLogic Freighter");
    EXPECT_EQ(spawn({"BOX", "B77L", "D-AALX", false}), "B77L AeroLogic Pax");
    EXPECT_THAT(matchLines(), ElementsAre(testing::EndsWith("=2= B77L AeroLogic Freighter"),
                                          testing::EndsWith("=2= B77L AeroLogic Pax")));

    build({livery("BOX", "B77L", "B77L AeroLogic Pax")});
    EXPECT_EQ(spawn({"BOX", "B77L", "D-AALX", true}), "B77L AeroLogic Pax");
    EXPECT_THAT(matchLines(),
                ElementsAre(testing::EndsWith("(C) TST123   D-AALX                =2= B77L AeroLogic Pax")));
}

struct OperatorCase
{
    std::vector<std::string> liveries;
    std::string_view title;
};

TEST_F(MatchingTest, AnOperatedFlightTriesThePairThenTheWordsThenTheOperatorThenTheAirline)
{
    const std::string pair = livery("DAL", "CRJ9", "CRJ9 Delta Connection", {}, false, "SKW");
    const OperatorCase cases[] = {
        {{pair, livery("SKW", "CRJ9", "CRJ9 SkyWest Delta"), livery("DAL", "CRJ9", "CRJ9 Delta")},
         "CRJ9 Delta Connection"},
        // The operator's liveries that name the airline, first in title order.
        {{livery("SKW", "CRJ9", "CRJ9 SkyWest"), livery("SKW", "CRJ9", "CRJ9 SkyWest United"),
          livery("SKW", "CRJ9", "CRJ9 SkyWest Delta"), livery("SKW", "CRJ9", "CRJ9 SkyWest Delta 2"),
          livery("DAL", "CRJ9", "CRJ9 Delta by SkyWest")},
         "CRJ9 SkyWest Delta"},
        // Then the airline's liveries that name the operator.
        {{livery("SKW", "CRJ9", "CRJ9 SkyWest United"), livery("DAL", "CRJ9", "CRJ9 Delta"),
          livery("DAL", "CRJ9", "CRJ9 Delta by SkyWest")},
         "CRJ9 Delta by SkyWest"},
        {{livery("SKW", "CRJ9", "CRJ9 SkyWest United"), livery("DAL", "CRJ9", "CRJ9 Delta")},
         "CRJ9 SkyWest United"},
        {{livery("DAL", "CRJ9", "CRJ9 Delta")}, "CRJ9 Delta"},
        {{livery("UAL", "CRJ9", "CRJ9 United")}, ""},
    };
    for (const OperatorCase& c : cases)
    {
        SCOPED_TRACE(c.title);
        build(c.liveries);
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(spawn({"DAL", "CRJ9", "N999XX", false, "SKW"}), c.title);
    }
}

TEST_F(MatchingTest, OperatorWordsAreTheFixedTableAndNotFoundOtherwise)
{
    EXPECT_EQ(lf_operatorWord("AAL"), "American");
    EXPECT_EQ(lf_operatorWord("JIA"), "PSA Airlines");
    EXPECT_EQ(lf_operatorWord("LRC"), "Avianca");
    EXPECT_EQ(lf_operatorWord("WJA"), "WestJet");
    EXPECT_EQ(lf_operatorWord("KLM"), "not found");
    EXPECT_EQ(lf_operatorWord(""), "not found");
}

// ---- private aircraft -----------------------------------------------------

TEST_F(MatchingTest, RegistrationPrefixes)
{
    EXPECT_EQ(lf_registrationPrefix("D-EABC"), "D-");
    EXPECT_EQ(lf_registrationPrefix("HB-ABC"), "HB-");
    EXPECT_EQ(lf_registrationPrefix("N123AB"), "N");
    EXPECT_EQ(lf_registrationPrefix("-ABC"), "-");
    EXPECT_EQ(lf_registrationPrefix(""), "");
}

TEST_F(MatchingTest, ThePrefixFilterKeepsListOrderAndLeavesFailedTitlesOut)
{
    build({livery("PVT", "C172", "C172 a", "D-EAAA"), livery("PVT", "C172", "C172 b", "HB-CAA"),
           livery("PVT", "C172", "C172 c", "D-EAAB"), livery("PVT", "C172", "C172 d", "D"),
           livery("PVT", "C172", "C172 e")});
    const TitleViews& all = g_airlineModelTitles[kPassenger].at(gf_airlineId("PVT")).at(gf_modelId("C172"));
    TitleViews out;
    lf_filterByRegPrefix(all, "D-", out);
    EXPECT_EQ(out, (TitleViews{"C172 a", "C172 c"}));
    fail("C172 a");
    out.clear();
    lf_filterByRegPrefix(all, "D-", out);
    EXPECT_EQ(out, TitleViews{"C172 c"});
}

struct PrivateCase
{
    std::string_view registration;
    std::string_view title;
    std::string_view step;
};

TEST_F(MatchingTest, APrivateAircraftFliesGenericFirstThenItsPrefixThenItsGroupsPrefixes)
{
    // The database groups D-, HB- and OE-.
    build({livery("PVT", "C172", "C172 German", "D-EXYZ"), livery("PVT", "C172", "C172 American", "N1234"),
           livery("PVT", "C172", "C172 Swiss", "HB-CXY")});
    const PrivateCase cases[] = {
        {"D-EABC", "C172 German", "2"},
        {"N123AB", "C172 American", "2"},
        {"HB-CAB", "C172 Swiss", "2"},
        // OE- has no livery of its own: one of its group's.
        {"OE-KAB", "", "2"},
    };
    for (const PrivateCase& c : cases)
    {
        SCOPED_TRACE(c.registration);
        const std::map<std::string, int> titles = spawnMany({"PVT", "C172", c.registration}, 50);
        if (c.title.empty())
        {
            EXPECT_EQ(titles.count("C172 American"), 0u);
            EXPECT_EQ(titles.size(), 2u); // German and Swiss, at random
        }
        else
            EXPECT_EQ(titles, (std::map<std::string, int>{{std::string(c.title), 50}}));
    }

    build({livery("ZZZ", "C172", "C172 Generic"), livery("PVT", "C172", "C172 German", "D-EXYZ")});
    EXPECT_EQ(spawn({"PVT", "C172", "D-EABC"}), "C172 Generic");
    EXPECT_THAT(logLines().back(), testing::EndsWith("=4= C172 Generic"));
}

TEST_F(MatchingTest, WithoutARegistrationAPrivateAircraftTakesAnyOfItsList)
{
    build({livery("PVT", "C172", "C172 German", "D-EXYZ")});
    EXPECT_EQ(spawn({"PVT", "C172", ""}), "C172 German");
    EXPECT_EQ(spawn({"PVT", "C172", "F-GABC"}), "C172 German");
}

// ---- category step --------------------------------------------------------

struct CategoryStepCase
{
    std::string_view name;
    std::vector<std::string> liveries;
    Ac ac;
    std::string_view title;
    std::string_view step;
};

TEST_F(MatchingTest, TheCategoryStepGivesOtherTypesOnlyToLightBusinessAndRotorcraft)
{
    const CategoryStepCase cases[] = {
        {"generic of the type",
         {livery("ZZZ", "A320", "A320 Generic")},
         {"KLM", "A320"},
         "A320 Generic",
         "4"},
        {"generic cargo for cargo",
         {livery("ZZZ", "B77L", "B77L Generic Freight", {}, true)},
         {"KLM", "B77L", "", true},
         "B77L Generic Freight",
         "4"},
        {"light: the type of any airline",
         {livery("DLH", "C172", "C172 Aeroclub", "D-EFGH")},
         {"KLM", "C172", "PH-ABC"},
         "C172 Aeroclub",
         "5"},
        {"light: a type of the category",
         {livery("DLH", "C152", "C152 Club")},
         {"KLM", "C172", "PH-ABC"},
         "C152 Club",
         "6"},
        {"business jet", {livery("DLH", "C56X", "C56X Exec")}, {"KLM", "C25C", "PH-ABC"}, "C56X Exec", "6"},
        {"rotorcraft", {livery("DLH", "EC35", "EC35 Police")}, {"KLM", "EC35"}, "EC35 Police", "5"},
        {"large: never another airline", {livery("DLH", "A320", "A320 Lufthansa")}, {"KLM", "A320"}, "", ""},
        {"large: never a similar type", {livery("ZZZ", "A321", "A321 Generic")}, {"KLM", "A320"}, "", ""},
        {"heavy", {livery("DLH", "B744", "B744 Lufthansa")}, {"KLM", "B744"}, "", ""},
        {"high performance", {livery("DLH", "F16", "F16 Display")}, {"KLM", "F16"}, "", ""},
        // A type the database does not know has no class, not the light one.
        {"unknown airliner: no light type", {livery("DLH", "C172", "C172 Club")}, {"KLM", "E135"}, "", ""},
        {"ground vehicle: no light type", {livery("DLH", "C172", "C172 Club")}, {"ZZZ", "ZZZC"}, "", ""},
        {"no type: no light type", {livery("DLH", "C172", "C172 Club")}, {"KLM", "ZZZZ"}, "", ""},
    };
    for (const CategoryStepCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        build(c.liveries);
        AiAircraftRecord record = lf_record(c.ac);
        gf_matchLivery4SpawnedAc(record);
        EXPECT_EQ(record.liveryTitle, c.title);
        if (!c.step.empty())
        {
            EXPECT_THAT(logLines().back(), testing::EndsWith(fmt::format("={}= {}", c.step, c.title)));
        }
    }
}

TEST_F(MatchingTest, TheCategoryStepLeavesASetTitleAloneAndTellsItsStep)
{
    build({livery("DLH", "C152", "C152 Club")});
    AiAircraftRecord record = lf_record({"KLM", "C172", "PH-ABC"});
    int step = -1;
    lf_matchByCategory(record, false, step);
    EXPECT_EQ(record.liveryTitle, "C152 Club");
    EXPECT_EQ(step, 6);

    AiAircraftRecord titled = lf_record({"KLM", "C172", "PH-ABC"});
    titled.liveryTitle = "kept";
    step = -1;
    lf_matchByCategory(titled, false, step);
    EXPECT_EQ(titled.liveryTitle, "kept");
    EXPECT_EQ(step, -1);
}

// ---- random picks ---------------------------------------------------------

TEST_F(MatchingTest, RandomPicksAreUniformOverTheCandidates)
{
    build({livery("DLH", "A320", "A320 a"), livery("DLH", "A320", "A320 b"), livery("DLH", "A320", "A320 c"),
           livery("DLH", "A320", "A320 d")});
    constexpr int kDraws = 40000;
    AiAircraftRecord record = lf_record({"DLH", "A320"});
    const TitleViews& candidates =
        g_airlineModelTitles[kPassenger].at(record.key.airline).at(record.key.model);
    std::map<std::string, int> counts;
    for (int i = 0; i < kDraws; ++i)
    {
        ASSERT_TRUE(lf_pickRandomTitle(record, candidates));
        ++counts[std::string(record.liveryTitle)];
    }
    ASSERT_EQ(counts.size(), 4u);
    // Chi-square with 3 degrees of freedom; 16.27 is its 0.1 % quantile.
    double chiSquare = 0.0;
    for (const auto& [title, n] : counts)
        chiSquare += (n - kDraws / 4.0) * (n - kDraws / 4.0) / (kDraws / 4.0);
    EXPECT_LT(chiSquare, 16.27);
}

TEST_F(MatchingTest, BoundTitlesAreAvoidedWhileAnotherCandidateExists)
{
    writeAig(R"(<l t="A320 Special 1" r="D-AIPD" s="true"/><l t="A320 Special 2" r="D-AIPE" s="true"/>)");
    build({livery("DLH", "A320", "A320 Lufthansa"), livery("DLH", "A320", "A320 Special 1"),
           livery("DLH", "A320", "A320 Special 2")});
    EXPECT_EQ(spawnMany({"DLH", "A320", "D-AXXX"}, 200),
              (std::map<std::string, int>{{"A320 Lufthansa", 200}}));

    // Every candidate bound: one of them is still given.
    AiAircraftRecord record = lf_record({"DLH", "A320"});
    const TitleViews bound{lf_findLiveryTitle("A320 Special 1"), lf_findLiveryTitle("A320 Special 2")};
    std::map<std::string, int> counts;
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_TRUE(lf_pickRandomTitle(record, bound));
        ++counts[std::string(record.liveryTitle)];
    }
    EXPECT_EQ(counts.size(), 2u);
}

// ---- failed titles ----------------------------------------------------------

TEST_F(MatchingTest, FailedTitlesAreSkippedInsideEveryPicker)
{
    build({livery("DLH", "A320", "A320 Lufthansa"), livery("DLH", "A320", "A320 Lufthansa Old"),
           livery("SKW", "CRJ9", "CRJ9 SkyWest Delta"), livery("SKW", "CRJ9", "CRJ9 SkyWest Delta 2"),
           livery("PVT", "C172", "C172 German", "D-EXYZ"), livery("PVT", "C172", "C172 German 2", "D-EXYY"),
           livery("PVT", "C172", "C172 Swiss", "HB-CXY")});
    fail("A320 Lufthansa");
    fail("CRJ9 SkyWest Delta");
    fail("C172 German");
    fail("C172 German 2");
    // The random pick.
    EXPECT_EQ(spawnMany({"DLH", "A320", "D-AXXX"}, 100),
              (std::map<std::string, int>{{"A320 Lufthansa Old", 100}}));
    // The word pick takes the next title with the word.
    EXPECT_EQ(spawn({"DAL", "CRJ9", "N999XX", false, "SKW"}), "CRJ9 SkyWest Delta 2");
    // The prefix filter goes on to the group's prefixes.
    EXPECT_EQ(spawn({"PVT", "C172", "D-EABC"}), "C172 Swiss");
    EXPECT_EQ(g_matchSteps[2], 102u);
}

// A long list keeps the titles that hold the word: still the first in list
// order that has not failed, and those of the new list after the tables are
// built anew.
TEST_F(MatchingTest, TheWordPickInALongListTakesTheFirstTitleWithTheWordThatHasNotFailed)
{
    const auto list = [](int delta)
    {
        std::vector<std::string> liveries;
        for (int i = 0; i < 40; ++i)
            liveries.push_back(
                livery("SKW", "CRJ9", fmt::format("CRJ9 SkyWest {:02}{}", i, i % 10 == delta ? " Delta" : "")));
        return liveries;
    };
    build(list(7));
    EXPECT_EQ(spawn({"DAL", "CRJ9", "N999XX", false, "SKW"}), "CRJ9 SkyWest 07 Delta");
    fail("CRJ9 SkyWest 07 Delta");
    EXPECT_EQ(spawn({"DAL", "CRJ9", "N999XX", false, "SKW"}), "CRJ9 SkyWest 17 Delta");
    g_failedTitles.clear();
    build(list(3));
    EXPECT_EQ(spawn({"DAL", "CRJ9", "N999XX", false, "SKW"}), "CRJ9 SkyWest 03 Delta");
}

TEST_F(MatchingTest, AFailedRegistrationTitleSendsTheAircraftToTheNextStep)
{
    build({livery("DLH", "A320", "A320 Lufthansa", "D-AIZB"), livery("DLH", "A320", "A320 Lufthansa Old")});
    fail("A320 Lufthansa");
    EXPECT_EQ(spawn({"DLH", "A320", "D-AIZB"}), "A320 Lufthansa Old");
    EXPECT_THAT(matchLines(), ElementsAre(testing::EndsWith("=2= A320 Lufthansa Old")));
    EXPECT_EQ(g_matchSteps[1], 0u);

    fail("A320 Lufthansa Old");
    AiAircraftRecord record = lf_record({"DLH", "A320", "D-AIZB"});
    gf_matchLivery4SpawnedAc(record);
    EXPECT_TRUE(record.liveryTitle.empty());
}

// ---- the stand entry point ------------------------------------------------

TEST_F(MatchingTest, OnAStandATitleAlreadySetIsKeptAndTheStepsAreLoggedWithoutCounting)
{
    build({livery("DLH", "A320", "A320 Lufthansa", "D-AIZB"), livery("DLH", "A320", "A320 Lufthansa Old"),
           livery("ZZZ", "C172", "C172 Generic Cargo", {}, true), livery("ZZZ", "C172", "C172 Generic")});
    AiAircraftRecord kept = lf_record({"DLH", "A320", "D-AIZB"});
    kept.liveryTitle = "given before";
    EXPECT_TRUE(gf_matchLivery(kept, "A12", false));
    EXPECT_EQ(kept.liveryTitle, "given before");

    AiAircraftRecord registered = lf_record({"DLH", "A320", "D-AIZB"});
    EXPECT_TRUE(gf_matchLivery(registered, "A12", false));
    EXPECT_EQ(registered.liveryTitle, "A320 Lufthansa");

    fail("A320 Lufthansa");
    AiAircraftRecord failed = lf_record({"DLH", "A320", "D-AIZB"});
    EXPECT_TRUE(gf_matchLivery(failed, "A12", false));
    EXPECT_EQ(failed.liveryTitle, "A320 Lufthansa Old");

    // A private aircraft on a cargo stand takes a generic cargo livery.
    AiAircraftRecord privateAc = lf_record({"PVT", "C172", "D-EABC"});
    EXPECT_TRUE(gf_matchLivery(privateAc, "C3", true));
    EXPECT_EQ(privateAc.liveryTitle, "C172 Generic Cargo");

    AiAircraftRecord none = lf_record({"KLM", "B744", "PH-BFA"});
    EXPECT_FALSE(gf_matchLivery(none, "D7", false));

    const std::string flight = gf_flightText(kept);
    EXPECT_THAT(matchLines(), ElementsAre("          " + flight + " =s= given before",
                                          "          " + flight + " =1= A320 Lufthansa",
                                          "          " + flight + " =2= A320 Lufthansa Old",
                                          testing::EndsWith("=4= C172 Generic Cargo")));
    EXPECT_EQ(logLines().back(), fmt::format("D7      : {} no livery match ...", gf_flightText3(none)));
    EXPECT_EQ(g_matchSteps, (std::array<std::uint32_t, 7>{}));
}

TEST_F(MatchingTest, OnAStandDepthOneLogsNoMatchAfterTheRegistration)
{
    build({livery("DLH", "A320", "A320 Lufthansa")});
    MATCHING_DEPTH.current.store(1);
    AiAircraftRecord record = lf_record({"DLH", "A320", "D-AXXX"});
    EXPECT_FALSE(gf_matchLivery(record, "A1", false));
    EXPECT_TRUE(record.liveryTitle.empty());
    EXPECT_THAT(logLines().back(), testing::EndsWith("no livery match ..."));
}

// The feed's placeholders are never given a livery, even where the tables
// hold one under that code.
TEST_F(MatchingTest, PlaceholderTypesGetNoLivery)
{
    build({livery("ZZZ", "ZZZC", "Tug"), livery("ZZZ", "ZZZZ", "Anything"), livery("DLH", "C172", "C172 Club")});
    for (std::string_view type : {"ZZZC", "ZZZZ"})
    {
        SCOPED_TRACE(type);
        EXPECT_EQ(spawn({"ZZZ", type}), "");
        AiAircraftRecord record = lf_record({"ZZZ", type});
        EXPECT_FALSE(gf_matchLivery(record, "A1", false));
        EXPECT_TRUE(record.liveryTitle.empty());
    }
}

// ---- failed liveries and diagnostics --------------------------------------

TEST_F(MatchingTest, TheTwentiethDistinctFailedTitleIsUserError81)
{
    AiAircraftRecord record = lf_record({"DLH", "A320", "D-AIZB"});
    for (int i = 0; i < 19; ++i)
    {
        const std::string title = fmt::format("title {}", i);
        record.liveryTitle = title;
        ASSERT_NO_THROW(gf_liveryNotCreated(record));
        ASSERT_NO_THROW(gf_liveryNotCreated(record)); // the same title counts once
    }
    EXPECT_EQ(gf_statusTexts().status, "TST123 'title 18' could not be created by your Sim!");
    EXPECT_EQ(g_failedKeys, (HashedTexts{"A320 DLH"}));
    const std::string last = "title 19";
    record.liveryTitle = last;
    try
    {
        gf_liveryNotCreated(record);
        ADD_FAILURE() << "no error 81";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(e.what(), "81: There are too many liveries that could not be created!, see Log.txt");
    }
    EXPECT_TRUE(g_failedTitles.contains("title 19"));
    EXPECT_THAT(logLines(),
                testing::Contains("===> Error 81, There are too many liveries that could not be created!"));
}

TEST_F(MatchingTest, AFailureWhileStoppingIsRecordedWithoutAStatusLine)
{
    g_stop.store(1);
    AiAircraftRecord record = lf_record({"DLH", "A320"});
    record.liveryTitle = "A320 broken";
    gf_liveryNotCreated(record);
    EXPECT_TRUE(gf_isFailedTitle("A320 broken"));
    EXPECT_EQ(gf_statusTexts().status, "");
}

TEST_F(MatchingTest, ARememberedLiveryIsDroppedOnceItsTitleFailed)
{
    build({livery("DLH", "A320", "A320 Lufthansa")});
    AiAircraftRecord record = lf_record({"DLH", "A320"});
    gf_matchLivery4SpawnedAc(record);
    gf_rememberLivery(4711, record.liveryTitle);
    EXPECT_EQ(gf_isFailedLivery(4711), std::optional<std::string_view>("A320 Lufthansa"));
    EXPECT_EQ(gf_isFailedLivery(4712), std::nullopt);

    gf_liveryNotCreated(record);
    EXPECT_EQ(gf_isFailedLivery(4711), std::nullopt);
    EXPECT_FALSE(g_rememberedLiveries.contains(4711));

    gf_rememberLivery(1, "x");
    gf_rememberLivery(2, "y");
    gf_forgetLivery(1);
    EXPECT_EQ(g_rememberedLiveries.size(), 1u);
    gf_forgetRememberedLiveries();
    EXPECT_TRUE(g_rememberedLiveries.empty());
}

TEST_F(MatchingTest, AFailedTitleOutlivesARebuildOfTheTables)
{
    build({livery("DLH", "A320", "A320 Lufthansa"), livery("DLH", "A320", "A320 Lufthansa Old")});
    AiAircraftRecord record = lf_record({"DLH", "A320"});
    record.liveryTitle = lf_findLiveryTitle("A320 Lufthansa");
    gf_liveryNotCreated(record);
    build({livery("DLH", "A320", "A320 Lufthansa"), livery("DLH", "A320", "A320 Lufthansa Old")});
    EXPECT_EQ(spawnMany({"DLH", "A320"}, 50), (std::map<std::string, int>{{"A320 Lufthansa Old", 50}}));
}

TEST_F(MatchingTest, TheSummaryListsEveryStepAndTheFailedKeysButNothingWithoutMatches)
{
    g_failedKeys.insert("A320 DLH");
    gf_showLiveryMatchingSummary();
    EXPECT_TRUE(newLines().empty());

    g_matchSteps = {3, 0, 7, 0, 0, 1, 0};
    gf_showLiveryMatchingSummary();
    const Lines expected{"",
                         gf_bannerLine(64, 0, false, false, "live traffic livery matching summary"),
                         "Matches at step: ",
                         "  0: 3",
                         "  1: 0",
                         "  2: 7",
                         "  3: 0",
                         "  4: 0",
                         "  5: 1",
                         "  6: 0",
                         "",
                         "Could not be created",
                         "  A320 DLH",
                         gf_bannerLine(64, 36, false, false, ""),
                         ""};
    EXPECT_EQ(newLines(), expected);
}

TEST_F(MatchingTest, TheNoMatchListIsLoggedWhenItHasEntriesAndKeptUntilCleared)
{
    gf_logNoMatches();
    EXPECT_TRUE(newLines().empty());
    g_noMatch.insert("KLM     B744     PH-BFA");
    gf_logNoMatches();
    gf_logNoMatches();
    EXPECT_EQ(newLines(), (Lines{"", "No match found for:", "KLM     B744     PH-BFA", "", "",
                                 "No match found for:", "KLM     B744     PH-BFA", ""}));
    lf_clearNoMatchSet();
    EXPECT_TRUE(g_noMatch.empty());
}

} // namespace
} // namespace ovr::test
