#include "core/parameters.h"
#include "core/range.h"
#include "parameters_fixture.h"

#include <set>

namespace ovr::test
{
namespace
{

TEST(ParameterRegistries, HoldTheKeysInFileOrder)
{
    const std::vector<std::string> expected = {
        // bools
        "ALWAYS_ON_TOP", "OBJECTID_LIST", "NAV_LIGHTS_WHILE_PARKED", "GUID_CHANGES", "SIM_TIME",
        "KEEP_SIM_TIME_PAR", "SCAN_LIVERIES", "LIG_AUTOMATIC", "LIG_PRIORITIZE", "SCAN_AIRPORTS",
        "LIGHT_AIRCRAFT", "HELICOPTERS", "HIGH_PERF_AIRCRAFT", "AUTO_RANGE", "AIRBORNE_ONLY",
        "COLLISION_USER_GND", "COLLISION_USER_AIR", "COLLISION_LIVE_PARKED_GND", "STRAIGHT_PBS_ONLY",
        "INITIAL_LOAD_ONLY", "WEEK", "PARK_SOFT", "RT_PARKTRAFFIC_ONLY",
        // ints
        "MAIN_WINDOW_X", "MAIN_WINDOW_Y", "LAST_EPOCH_TIME:", "CUSTOM_PARKING_PERCENTAGE",
        "HOLDING_THRESHOLD_METERS", "MAX_HOLDING_MINUTES", "AIRP_HEIGHT", "MAX_FIT",
        // int lists
        "MATCHING_DEPTH", "RANGE", "AR_ABOVE_HEIGHT", "MAX_PARK_SEL", "MAX_LIVE_SEL", "AIRP_RANGE",
        "AIRP_HEIGHT", "TIME_SHIFT_DAYS", "TIME_SHIFT_HOURS", "TIME_SHIFT_MINS",
        // strings
        "PROGRAM_VERSION", "MSFS_INSTALL_PATH", "lfolder0", "lfolder1", "lfolder2", "lfolder3", "lfolder4",
        "lfolder5", "lfolder6", "lfolder7", "lfolder8", "lfolder9", "AIG_VERSION", "DBASE_VERSION",
        "AIRPORTS_VERSION", "LIV_SCAN_VERSION", "ADDONS_SCAN_VERSION", "MYSIMADDON24_VERSION",
        "MSFS_2024_INSTALL_PATH", "AI_PACKAGE_SELECTOR", "DESTINATION",
        // shown strings
        "BLOCK_CALLSIGN", "SIM_CHOICE"};
    EXPECT_EQ(registryKeys(), expected);
    EXPECT_EQ(g_boolParameters.size(), 23u);
    EXPECT_EQ(g_intParameters.size(), 8u);
    EXPECT_EQ(g_intListParameters.size(), 10u);
    EXPECT_EQ(g_stringParameters.size(), 21u);
    EXPECT_EQ(g_shownStringParameters.size(), 2u);
}

struct IntCase
{
    const IntParameter* parameter;
    std::int32_t def, min, max;
};

TEST(ParameterObjects, NumbersStartAtTheirDefaultsWithTheirLimits)
{
    const IntCase cases[] = {
        {&MAIN_WINDOW_X, 400, -30000, 30000},
        {&MAIN_WINDOW_Y, 20, -30000, 30000},
        {&LAST_EPOCH_TIME, 0, 0, 2147483647},
        {&CUSTOM_PARKING_PERCENTAGE, -1, -1, 100},
        {&HOLDING_THRESHOLD_METERS, 250, 10, 4000},
        {&MAX_HOLDING_MINUTES, 20, 1, 60},
        {&MAX_FIT, 47, 0, 47},
        {&MATCHING_DEPTH, 4, 1, 4},
        {&RANGE, 40, 2, 100},
        {&AR_ABOVE_HEIGHT, 48000, 18000, 48000},
        {&AIRP_RANGE, 20, 5, 30},
        {&AIRP_HEIGHT, 18000, 2000, 48000},
        {&MAX_PARK_SEL, 500, 0, 500},
        {&MAX_LIVE_SEL, 500, 0, 500},
        {&TIME_SHIFT_DAYS, 0, 0, 13},
        {&TIME_SHIFT_HOURS, 0, 0, 23},
        {&TIME_SHIFT_MINS, 0, 0, 59},
        {&parking_percentage, 30, 0, 100},
    };
    for (const IntCase& c : cases)
    {
        SCOPED_TRACE(c.parameter->name);
        EXPECT_EQ(c.parameter->defaultValue, c.def);
        EXPECT_EQ(c.parameter->current.load(), c.def);
        EXPECT_EQ(c.parameter->minValue, c.min);
        EXPECT_EQ(c.parameter->maxValue, c.max);
    }
    EXPECT_EQ(AR_ABOVE_HEIGHT.values.size(), 11u);
    EXPECT_EQ(AIRP_HEIGHT.values, (std::vector<std::int32_t>{2000, 4000, 6000, 8000, 10000, 12000, 14000,
                                                             16000, 18000, 36000, 48000}));
    EXPECT_EQ(RANGE.values.size(), 20u);
    EXPECT_EQ(parking_percentage.values.size(), 21u);
    EXPECT_EQ(MAX_FIT_FL.values.size(), 20u);
    EXPECT_EQ(MAX_FIT_FL.current.load(), 24.0f);
    EXPECT_EQ(MAX_FIT_FL.minValue, 0.5f);
    EXPECT_EQ(g_rangeNm.load(), 40.0);
    EXPECT_EQ(g_rangeMeters.load(), 74080);
}

TEST(ParameterObjects, ShownControlsCarryTheirIdsAndRows)
{
    struct Shown
    {
        const WindowControl* control;
        std::uint16_t id;
        std::int32_t row;
    };
    const Shown cases[] = {
        {&ALWAYS_ON_TOP, 32771, 147},
        {&KEEP_SIM_TIME_PAR, 32862, 287},
        {&RANGE, 32818, 231},
        {&parking_percentage, 32850, 371},
        {&MAX_FIT_FL, 32854, 371},
        {&AI_PACKAGE_SELECTOR, 32790, 147},
        {&ALL_INSTALL_PATH, 32788, 119},
        {&SIM_CHOICE, 32789, 119},
        {&CALLSIGN_2_OBJECTID, 32831, 259},
        {&DESTINATION, 32839, 343},
        {&BLOCK_CALLSIGN, 32828, 259},
    };
    for (const Shown& c : cases)
    {
        EXPECT_EQ(c.control->controlId, c.id);
        EXPECT_EQ(c.control->row, c.row);
        EXPECT_EQ(c.control->hwnd, nullptr);
        EXPECT_EQ(c.control->prevWndProc, nullptr);
    }
    for (const BoolParameter* p : g_boolParameters)
    {
        EXPECT_EQ((p->row - 119) % 28, 0) << p->name;
    }
}

TEST(ParameterObjects, PackageSelectorOffersEveryOrderOfEverySubset)
{
    const std::vector<std::string>& c = AI_PACKAGE_SELECTOR.choices;
    ASSERT_EQ(c.size(), 64u);
    EXPECT_EQ(std::set<std::string>(c.begin(), c.end()).size(), 64u);
    EXPECT_EQ(c[0], "AIG, FSLTL, JF, MTL");
    EXPECT_EQ(c[1], "AIG, FSLTL, MTL, JF");
    EXPECT_EQ(c[23], "MTL, JF, FSLTL, AIG");
    EXPECT_EQ(c[24], "AIG, FSLTL, JF");
    EXPECT_EQ(c[30], "AIG, FSLTL, MTL");
    EXPECT_EQ(c[47], "MTL, JF, FSLTL");
    const std::vector<std::string> pairsAndSingles(c.begin() + 48, c.end());
    EXPECT_EQ(pairsAndSingles,
              (std::vector<std::string>{"AIG, FSLTL", "FSLTL, AIG", "AIG, JF", "JF, AIG", "AIG, MTL",
                                        "MTL, AIG", "FSLTL, JF", "JF, FSLTL", "FSLTL, MTL", "MTL, FSLTL",
                                        "JF, MTL", "MTL, JF", "AIG", "FSLTL", "JF", "MTL"}));
    EXPECT_EQ(AI_PACKAGE_SELECTOR.value(), c[0]);
}

TEST(ParameterObjects, ChoiceIndexComparesExactly)
{
    const struct
    {
        const char* text;
        std::optional<std::size_t> index;
    } cases[] = {{"MSFS 2020", 0}, {"MSFS 2024", 1}, {"msfs 2024", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases)
    {
        SIM_CHOICE.setValue(c.text);
        EXPECT_EQ(gf_choiceIndex(SIM_CHOICE), c.index) << c.text;
    }
    SIM_CHOICE.setValue(SIM_CHOICE.defaultText());
}

TEST(ParameterObjects, CallsignChoicesStartWithOneEmptyText)
{
    EXPECT_EQ(CALLSIGN_2_OBJECTID.choices, g_callsignChoices);
    EXPECT_EQ(*g_callsignChoices, std::vector<std::string>{""});
}

TEST(SetRange, ClampsAndDerivesTheRequestRadius)
{
    const struct
    {
        std::int32_t in, range, meters;
    } cases[] = {{7, 7, 22964}, {40, 40, 84080}, {1, 2, 13704}, {500, 100, 195200}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(gf_setRange(c.in), c.meters) << c.in;
        EXPECT_EQ(RANGE.current.load(), c.range);
        EXPECT_EQ(g_rangeNm.load(), static_cast<double>(c.range));
        EXPECT_EQ(g_rangeMeters.load(), c.meters);
    }
    RANGE.current = RANGE.defaultValue;
    g_rangeNm = 40.0;
    g_rangeMeters = 74080;
}

} // namespace
} // namespace ovr::test
