// The build of the livery tables: the tables per airline, type and category,
// the category summary with its option switch-offs, and a rebuild after the
// processed flag was reset.

#include <algorithm>
#include <fstream>
#include <map>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "core/code_pool.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/user_error.h"
#include "liveries/livery_data.h"
#include "liveries/livery_tables.h"
#include "liveries/regcode_tables.h"
#include "liveries/similar_models.h"
#include "platform/win/test_support.h"
#include "platform/win/user32.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

std::uint16_t lf_airline(std::string_view code)
{
    return gf_airlineId(code);
}

std::uint16_t lf_model(std::string_view code)
{
    return gf_modelId(code);
}

std::vector<std::string> lf_texts(const TitleViews& views)
{
    return {views.begin(), views.end()};
}

// A fleet that touches every table.
std::vector<std::string> lf_fleet()
{
    return {livery("DLH", "A320", "A320 Lufthansa", "D-AIZB"),
            livery("DLH", "A321", "A321 Lufthansa"),
            livery("DLH", "B748", "B748 Lufthansa", "D-ABYA"),
            livery("KLM", "A321", "A321 KLM", "PH-AAA"),
            livery("BOX", "B77L", "B77L AeroLogic", "D-AALA", true),
            livery("DAL", "CRJ9", "CRJ9 Delta Connection", "", false, "SKW"),
            livery("ZZZ", "C172", "C172 Generic"),
            livery("ZZZ", "EC35", "EC35 Generic"),
            livery("ZZZ", "F16", "F16 Generic"),
            livery("ZZZ", "C25C", "C25C Generic", "", true)};
}

TEST_F(TablesTest, BuildsThePerAirlinePerTypeAndPerKindTables)
{
    writeScanned(lf_fleet());
    gf_processScannedLiveries();

    EXPECT_EQ(g_liveriesCount.load(), 10);
    EXPECT_EQ(g_scannedLiveriesProcessed.load(), 1);
    EXPECT_TRUE(g_liveries.empty());

    ASSERT_TRUE(g_airlineModels.contains(lf_airline("DLH")));
    EXPECT_EQ(g_airlineModels.at(lf_airline("DLH")).size(), 3u);
    EXPECT_EQ(lf_texts(g_airlineModelTitles[kPassenger].at(lf_airline("DLH")).at(lf_model("A321"))),
              std::vector<std::string>{"A321 Lufthansa"});
    EXPECT_EQ(lf_texts(g_airlineModelTitles[kCargo].at(lf_airline("BOX")).at(lf_model("B77L"))),
              std::vector<std::string>{"B77L AeroLogic"});
    EXPECT_FALSE(g_airlineModelTitles[kPassenger].contains(lf_airline("BOX")));
    // Airline by airline in the order of their ids (DLH came before KLM).
    EXPECT_EQ(lf_texts(g_modelTitles[kPassenger].at(lf_model("A321"))),
              (std::vector<std::string>{"A321 Lufthansa", "A321 KLM"}));
    EXPECT_EQ(lf_texts(g_modelTitles[kCargo].at(lf_model("C25C"))), std::vector<std::string>{"C25C Generic"});
    EXPECT_TRUE(lf_airlineHasModel(lf_airline("KLM"), lf_model("A321")));
    EXPECT_FALSE(lf_airlineHasModel(lf_airline("KLM"), lf_model("A320")));

    // Titles come back as the stored views; unknown titles as empty views.
    const std::string_view title = lf_findLiveryTitle(std::string("A321 KLM"));
    EXPECT_EQ(title, "A321 KLM");
    EXPECT_EQ(title.data(), g_modelTitles[kPassenger].at(lf_model("A321"))[1].data());
    EXPECT_TRUE(lf_findLiveryTitle("A321 Unknown").empty());

    EXPECT_EQ(logLinesWith("registration codes"), std::vector<std::string>{"    4 registration codes"});
    EXPECT_EQ(logLinesWith("aircraft models"),
              std::vector<std::string>{"    5 airlines, 7 pax aircraft models and 2 cargo aircraft models"});
}

TEST_F(TablesTest, AnOperatedAirlineIsKeyedByBothCodesOnly)
{
    writeScanned({livery("DAL", "CRJ9", "CRJ9 Delta Connection", "", false, "SKW")});
    gf_processScannedLiveries();
    EXPECT_TRUE(lf_airlineHasModel(lf_airline("DALSKW"), lf_model("CRJ9")));
    EXPECT_FALSE(g_airlineModels.contains(lf_airline("DAL")));
    EXPECT_FALSE(g_airlineModels.contains(lf_airline("SKW")));
}

struct SummaryCase
{
    const char* name;
    std::vector<std::string> liveries;
    std::vector<std::string> lines; // the category lines, light to rotorcraft
};

const SummaryCase kSummaryCases[] = {
    {"cargo_buzjets_and_one_pax",
     {livery("ZZZ", "C25C", "c1", "", true), livery("DLH", "C25C", "c2", "", true),
      livery("KLM", "C56X", "c3", "", true), livery("DLH", "A320", "a1")},
     {"Category Light: No livery found", "Category Buzjets: 0 pax liveries and 3 cargo liveries",
      "  C25C,C56X", "Category Large: 1 pax liverie", "  A320", "Category Heavy: No livery found",
      "Category HighPerf: No livery found", "Category Rotorcraft: No livery found"}},
    {"one_cargo_and_two_pax",
     {livery("DLH", "B744", "b1"), livery("KLM", "B744", "b2"), livery("BOX", "B77L", "b3", "", true),
      livery("ZZZ", "F16", "f1"), livery("ZZZ", "EC35", "e1"), livery("ZZZ", "C172", "l1")},
     {"Category Light: 1 pax liverie", "  C172", "Category Buzjets: No livery found",
      "Category Large: No livery found", "Category Heavy: 2 pax liveries and 1 cargo liverie", "  B744,B77L",
      "Category HighPerf: 1 pax liverie", "  F16", "Category Rotorcraft: 1 pax liverie", "  EC35"}},
};

class CategorySummaryTest : public TablesTest, public ::testing::WithParamInterface<SummaryCase>
{
};

TEST_P(CategorySummaryTest, LogsEachCategoryWithItsModels)
{
    writeScanned(GetParam().liveries);
    gf_processScannedLiveries();
    const std::vector<std::string> log = logLines();
    auto first = std::find_if(log.begin(), log.end(),
                              [](const std::string& l) { return l.starts_with("Category Light"); });
    ASSERT_NE(first, log.end());
    std::vector<std::string> lines;
    for (auto it = first; it != log.end() && it->find("generic") == std::string::npos; ++it)
    {
        if (it->starts_with("Category ") || it->starts_with("  "))
            lines.push_back(*it);
    }
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, CategorySummaryTest, ::testing::ValuesIn(kSummaryCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(TablesTest, CategoryListsHoldTheLightBuzjetAndRotorcraftTypes)
{
    writeScanned(lf_fleet());
    gf_processScannedLiveries();
    EXPECT_EQ(g_categoryModels0, std::vector<std::uint16_t>{lf_model("C172")});
    EXPECT_EQ(g_categoryModels1, std::vector<std::uint16_t>{lf_model("C25C")});
    EXPECT_EQ(g_categoryModels2, std::vector<std::uint16_t>{lf_model("EC35")});
    EXPECT_EQ(lf_randomCategoryModel2(), lf_model("EC35"));
    gf_clearLiveryMatching();
    EXPECT_EQ(lf_randomCategoryModel0(), 0);
}

TEST_F(TablesTest, FortyFiveModelsAreLoggedTwentyALine)
{
    std::vector<std::string> liveries;
    for (int i = 1; i <= 45; ++i)
        liveries.push_back(livery("DLH", fmt::format("T{:03}", i), fmt::format("light {}", i)));
    writeScanned(liveries);
    gf_processScannedLiveries();
    const std::vector<std::string> log = logLines();
    auto at = std::find(log.begin(), log.end(), "Category Light: 45 pax liveries");
    ASSERT_NE(at, log.end());
    ASSERT_GE(log.end() - at, 4);
    auto codes = [](int from, int to)
    {
        std::vector<std::string> list;
        for (int i = from; i <= to; ++i)
            list.push_back(fmt::format("T{:03}", i));
        return "  " + fmt::format("{}", fmt::join(list, ","));
    };
    EXPECT_EQ(at[1], codes(1, 20));
    EXPECT_EQ(at[2], codes(21, 40));
    EXPECT_EQ(at[3], codes(41, 45));
    EXPECT_EQ(g_categoryModels0.size(), 45u);
}

TEST_F(TablesTest, GenericLiveriesAreThoseOfAirlineZZZ)
{
    writeScanned(lf_fleet());
    gf_processScannedLiveries();
    const std::vector<std::string> log = logLines();
    auto at = std::find(log.begin(), log.end(), "4 models have a generic livery");
    ASSERT_NE(at, log.end());
    ASSERT_NE(at + 1, log.end());
    EXPECT_EQ(at[1], "  C172,C25C,EC35,F16");
}

TEST_F(TablesTest, NoGenericLiveries)
{
    writeScanned({livery("DLH", "A320", "a")});
    gf_processScannedLiveries();
    EXPECT_EQ(logLinesWith("generic"), std::vector<std::string>{"No generic liveries"});
}

// The three options whose categories may have no livery, through the window
// stand-in's check boxes.
class CategoryOptionTest : public TablesTest
{
  protected:
    void SetUp() override
    {
        TablesTest::SetUp();
        platform_test::reset();
        for (BoolParameter* option : kOptions)
        {
            option->current.store(true);
            option->hwnd = CreateWindowExW(0, L"button", L"", BS_CHECKBOX, 0, 0, 12, 12, nullptr, nullptr,
                                           nullptr, nullptr);
            ASSERT_NE(option->hwnd, nullptr);
            SendMessageW(option->hwnd, BM_SETCHECK, BST_CHECKED, 0);
        }
        ParameterControlHooks hooks;
        hooks.showCheck = [](const BoolParameter& p)
        { SendMessageW(p.hwnd, BM_SETCHECK, p.current.load() ? BST_CHECKED : 0, 0); };
        hooks.enable = [](const WindowControl& c, bool enable)
        { EnableWindow(c.hwnd, enable ? TRUE : FALSE); };
        gf_setParameterControlHooks(hooks);
    }
    void TearDown() override
    {
        gf_setParameterControlHooks({});
        for (BoolParameter* option : kOptions)
            option->hwnd = nullptr;
        platform_test::reset();
        TablesTest::TearDown();
    }

    static bool checked(const BoolParameter& p)
    {
        return SendMessageW(p.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::string savedValue(std::string_view key) const
    {
        pugi::xml_document doc;
        doc.load_file((folder() / "parameters.xml").c_str());
        for (pugi::xml_node p : doc.child("root").child("parameters").children("parameter"))
        {
            if (p.attribute("name").value() == key)
                return p.attribute("value").value();
        }
        return "<none>";
    }

    static inline BoolParameter* const kOptions[] = {&LIGHT_AIRCRAFT, &HIGH_PERF_AIRCRAFT, &HELICOPTERS};
};

TEST_F(CategoryOptionTest, CategoriesWithoutLiveriesSwitchTheirOptionsOff)
{
    writeScanned({livery("DLH", "A320", "a"), livery("ZZZ", "F16", "f")});
    gf_processScannedLiveries();

    EXPECT_FALSE(LIGHT_AIRCRAFT.current.load());
    EXPECT_FALSE(HELICOPTERS.current.load());
    EXPECT_TRUE(HIGH_PERF_AIRCRAFT.current.load());
    EXPECT_EQ(savedValue("LIGHT_AIRCRAFT"), "false");
    EXPECT_EQ(savedValue("HELICOPTERS"), "false");
    EXPECT_FALSE(IsWindowEnabled(LIGHT_AIRCRAFT.hwnd));
    EXPECT_FALSE(IsWindowEnabled(HELICOPTERS.hwnd));
    EXPECT_TRUE(IsWindowEnabled(HIGH_PERF_AIRCRAFT.hwnd));
    EXPECT_FALSE(checked(LIGHT_AIRCRAFT));
    EXPECT_FALSE(checked(HELICOPTERS));
    EXPECT_TRUE(checked(HIGH_PERF_AIRCRAFT));
    EXPECT_EQ(logLinesWith("temporarily switched off"),
              (std::vector<std::string>{
                  "LIGHT_AIRCRAFT temporarily switched off because you do not have light aircraft installed",
                  "HELICOPTERS temporarily switched off because you do not have Helicopters installed"}));
}

TEST_F(CategoryOptionTest, AnOptionAlreadyOffIsOnlyDisabledAndALaterLiveryEnablesItButLeavesItOff)
{
    HIGH_PERF_AIRCRAFT.current.store(false);
    SendMessageW(HIGH_PERF_AIRCRAFT.hwnd, BM_SETCHECK, 0, 0);
    writeScanned({livery("DLH", "A320", "a")});
    gf_processScannedLiveries();
    EXPECT_FALSE(IsWindowEnabled(HIGH_PERF_AIRCRAFT.hwnd));
    EXPECT_EQ(logLinesWith("HIGH_PERF_AIRCRAFT").size(), 0u);
    EXPECT_FALSE(IsWindowEnabled(HELICOPTERS.hwnd));

    // The next start-up, after a scan that found a helicopter.
    g_scannedLiveriesProcessed.store(0);
    writeScanned({livery("DLH", "A320", "a"), livery("ZZZ", "EC35", "e")});
    gf_processScannedLiveries();
    EXPECT_TRUE(IsWindowEnabled(HELICOPTERS.hwnd));
    EXPECT_FALSE(HELICOPTERS.current.load());
    EXPECT_FALSE(checked(HELICOPTERS));
}

TEST_F(TablesTest, ASecondStartUpSkipsTheBuildAndKeepsTheTables)
{
    writeScanned(lf_fleet());
    gf_processScannedLiveries();
    const std::vector<std::string> before = tablesDump();
    fs::remove("output/LiveriesScanned.xml");
    g_liveries.resize(3);
    gf_processScannedLiveries();
    EXPECT_EQ(tablesDump(), before);
    EXPECT_TRUE(g_liveries.empty());
    EXPECT_EQ(
        logLinesWith("skipped"),
        std::vector<std::string>{"Processing scanned liveries skipped; already done in previous start-up"});
}

TEST_F(TablesTest, ARebuildAfterAResetGivesTheTablesOfTheFirstBuildWithTheSameTitleViews)
{
    writeScanned(lf_fleet());
    writeAig(R"(<l t="A321 KLM" r="PH-AAB,PH-AAC" s="1"/><l t="A320 Lufthansa" r="D-AIZC"/>)");
    writeMyRegcodes("mine.txt", "A321 Lufthansa;D-AIDA\n");
    gf_processScannedLiveries();
    const std::vector<std::string> first = tablesDump();
    const char* view = lf_findLiveryTitle("A321 KLM").data();
    ASSERT_FALSE(g_similarModels.empty());

    g_scannedLiveriesProcessed.store(0);
    gf_processScannedLiveries();
    EXPECT_EQ(tablesDump(), first);
    EXPECT_EQ(lf_findLiveryTitle("A321 KLM").data(), view);
}

TEST_F(TablesTest, ARebuildWithFewerLiveriesKeepsNothingOfTheOldOnes)
{
    writeScanned(lf_fleet());
    gf_processScannedLiveries();
    const std::string_view old = lf_findLiveryTitle("A321 KLM");

    g_scannedLiveriesProcessed.store(0);
    writeScanned({livery("DLH", "A320", "A320 Lufthansa")});
    gf_processScannedLiveries();
    EXPECT_TRUE(lf_findLiveryTitle("A321 KLM").empty());
    EXPECT_FALSE(g_airlineModels.contains(lf_airline("KLM")));
    EXPECT_TRUE(g_similarModels.contains(lf_model("A319")));
    EXPECT_FALSE(g_similarModels.contains(lf_model("A320")));
    EXPECT_FALSE(g_airlineSubstitutes.contains(lf_airline("KLM")));
    EXPECT_EQ(g_regcodeTitles.size(), 0u);
    // A view handed out by the first build still reads its title.
    EXPECT_EQ(old, "A321 KLM");
}

TEST_F(TablesTest, AMissingScannedFileStopsTheBuildWithItsUserError)
{
    const std::string message = errorOf<UserErrorException>([] { gf_processScannedLiveries(); });
    EXPECT_EQ(message, "51: File output/LiveriesScanned.xml not found");
    EXPECT_EQ(g_scannedLiveriesProcessed.load(), 0);
}

} // namespace
} // namespace ovr::test
