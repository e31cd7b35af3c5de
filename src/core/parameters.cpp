#include "core/parameters.h"

#include <algorithm>
#include <numeric>

namespace ovr
{

namespace
{

// The rows of the window's option band: y = 119 + 28 n.
constexpr std::int32_t kRow0 = 119;
constexpr std::int32_t kRow1 = 147;
constexpr std::int32_t kRow2 = 175;
constexpr std::int32_t kRow3 = 203;
constexpr std::int32_t kRow4 = 231;
constexpr std::int32_t kRow5 = 259;
constexpr std::int32_t kRow6 = 287;
constexpr std::int32_t kRow7 = 315;
constexpr std::int32_t kRow8 = 343;
constexpr std::int32_t kRow9 = 371;

std::vector<std::int32_t> lf_steps(std::int32_t from, std::int32_t to, std::int32_t step)
{
    std::vector<std::int32_t> values;
    for (std::int32_t v = from; v <= to; v += step)
    {
        values.push_back(v);
    }
    return values;
}

std::vector<std::int32_t> lf_airportHeights()
{
    std::vector<std::int32_t> values = lf_steps(2000, 18000, 2000);
    values.push_back(36000);
    values.push_back(48000);
    return values;
}

std::vector<float> lf_fitHours()
{
    std::vector<float> values;
    for (int halfHours = 1; halfHours <= 10; ++halfHours)
    {
        values.push_back(static_cast<float>(halfHours) * 0.5f);
    }
    for (float hours : {6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 12.0f, 15.0f, 18.0f, 21.0f, 24.0f})
    {
        values.push_back(hours);
    }
    return values;
}

// Every ordering of every non-empty subset of the four package names: the
// larger subsets first, subsets in lexicographic order, the orderings of
// each subset in lexicographic order.
const std::vector<std::string> kPackageOrders = {
    "AIG, FSLTL, JF, MTL",
    "AIG, FSLTL, MTL, JF",
    "AIG, JF, FSLTL, MTL",
    "AIG, JF, MTL, FSLTL",
    "AIG, MTL, FSLTL, JF",
    "AIG, MTL, JF, FSLTL",
    "FSLTL, AIG, JF, MTL",
    "FSLTL, AIG, MTL, JF",
    "FSLTL, JF, AIG, MTL",
    "FSLTL, JF, MTL, AIG",
    "FSLTL, MTL, AIG, JF",
    "FSLTL, MTL, JF, AIG",
    "JF, AIG, FSLTL, MTL",
    "JF, AIG, MTL, FSLTL",
    "JF, FSLTL, AIG, MTL",
    "JF, FSLTL, MTL, AIG",
    "JF, MTL, AIG, FSLTL",
    "JF, MTL, FSLTL, AIG",
    "MTL, AIG, FSLTL, JF",
    "MTL, AIG, JF, FSLTL",
    "MTL, FSLTL, AIG, JF",
    "MTL, FSLTL, JF, AIG",
    "MTL, JF, AIG, FSLTL",
    "MTL, JF, FSLTL, AIG",
    "AIG, FSLTL, JF",
    "AIG, JF, FSLTL",
    "FSLTL, AIG, JF",
    "FSLTL, JF, AIG",
    "JF, AIG, FSLTL",
    "JF, FSLTL, AIG",
    "AIG, FSLTL, MTL",
    "AIG, MTL, FSLTL",
    "FSLTL, AIG, MTL",
    "FSLTL, MTL, AIG",
    "MTL, AIG, FSLTL",
    "MTL, FSLTL, AIG",
    "AIG, JF, MTL",
    "AIG, MTL, JF",
    "JF, AIG, MTL",
    "JF, MTL, AIG",
    "MTL, AIG, JF",
    "MTL, JF, AIG",
    "FSLTL, JF, MTL",
    "FSLTL, MTL, JF",
    "JF, FSLTL, MTL",
    "JF, MTL, FSLTL",
    "MTL, FSLTL, JF",
    "MTL, JF, FSLTL",
    "AIG, FSLTL",
    "FSLTL, AIG",
    "AIG, JF",
    "JF, AIG",
    "AIG, MTL",
    "MTL, AIG",
    "FSLTL, JF",
    "JF, FSLTL",
    "FSLTL, MTL",
    "MTL, FSLTL",
    "JF, MTL",
    "MTL, JF",
    "AIG",
    "FSLTL",
    "JF",
    "MTL",
};

const std::vector<std::int32_t> kSelectionLimits = {0, 10, 25, 50, 75, 100, 500};

} // namespace

IntListParameter::IntListParameter(std::string key, std::int32_t def, std::vector<std::int32_t> allowed,
                                   std::uint16_t id, std::int32_t y)
    : IntParameter(std::move(key), def, allowed.front(), allowed.back()), WindowControl(id, y),
      values(std::move(allowed))
{
}

std::optional<std::size_t> IntListParameter::currentIndex() const
{
    const auto it = std::find(values.begin(), values.end(), current.load());
    if (it == values.end())
    {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - values.begin());
}

FloatListParameter::FloatListParameter(std::string key, float def, std::vector<float> allowed,
                                       std::uint16_t id, std::int32_t y)
    : NamedItem(std::move(key)), WindowControl(id, y), defaultValue(def), minValue(allowed.front()),
      maxValue(allowed.back()), current(def), values(std::move(allowed))
{
}

std::string StringParameter::value() const
{
    const std::scoped_lock lock(mutex_);
    return current_;
}

void StringParameter::setValue(std::string text)
{
    const std::scoped_lock lock(mutex_);
    current_ = std::move(text);
}

std::string StringParameter::defaultText() const
{
    const std::scoped_lock lock(mutex_);
    return default_;
}

void StringParameter::setDefaultText(std::string text)
{
    const std::scoped_lock lock(mutex_);
    default_ = std::move(text);
}

std::optional<std::size_t> gf_choiceIndex(const ChoiceParameter& parameter)
{
    const std::string text = parameter.value();
    const auto it = std::find(parameter.choices.begin(), parameter.choices.end(), text);
    if (it == parameter.choices.end())
    {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - parameter.choices.begin());
}

BoolParameter ALWAYS_ON_TOP{"ALWAYS_ON_TOP", false, 32771, kRow1};
BoolParameter GUID_CHANGES{"GUID_CHANGES", true, 32773, kRow3};
BoolParameter NAV_LIGHTS_WHILE_PARKED{"NAV_LIGHTS_WHILE_PARKED", true, 32774, kRow2};
BoolParameter OBJECTID_LIST{"OBJECTID_LIST", false, 32775, kRow2};
BoolParameter SCAN_LIVERIES{"SCAN_LIVERIES", true, 32798, kRow1};
BoolParameter LIG_AUTOMATIC{"LIG_AUTOMATIC", true, 32799, kRow1};
BoolParameter LIG_PRIORITIZE{"LIG_PRIORITIZE", true, 32800, kRow1};
BoolParameter SCAN_AIRPORTS{"SCAN_AIRPORTS", true, 32802, kRow2};
BoolParameter LIGHT_AIRCRAFT{"LIGHT_AIRCRAFT", true, 32809, kRow3};
BoolParameter HELICOPTERS{"HELICOPTERS", true, 32810, kRow3};
BoolParameter HIGH_PERF_AIRCRAFT{"HIGH_PERF_AIRCRAFT", true, 32811, kRow3};
BoolParameter AUTO_RANGE{"AUTO_RANGE", true, 32819, kRow4};
BoolParameter AIRBORNE_ONLY{"AIRBORNE_ONLY", false, 32821, kRow4};
BoolParameter COLLISION_USER_AIR{"COLLISION_USER_AIR", true, 32833, kRow6};
BoolParameter COLLISION_USER_GND{"COLLISION_USER_GND", true, 32834, kRow6};
BoolParameter COLLISION_LIVE_PARKED_GND{"COLLISION_LIVE_PARKED_GND", false, 32835, kRow6};
BoolParameter INITIAL_LOAD_ONLY{"INITIAL_LOAD_ONLY", false, 32851, kRow9};
BoolParameter PARK_SOFT{"PARK_SOFT", false, 32852, kRow9};
BoolParameter WEEK{"WEEK", false, 32853, kRow9};
BoolParameter STRAIGHT_PBS_ONLY{"STRAIGHT_PBS_ONLY", false, 32855, kRow7};
BoolParameter RT_PARKTRAFFIC_ONLY{"RT_PARKTRAFFIC_ONLY", false, 32856, kRow9};
BoolParameter SIM_TIME{"SIM_TIME", false, 32861, kRow5};
BoolParameter KEEP_SIM_TIME_PAR{"KEEP_SIM_TIME_PAR", false, 32862, kRow6};

IntParameter MAIN_WINDOW_X{"MAIN_WINDOW_X", 400, -30000, 30000};
IntParameter MAIN_WINDOW_Y{"MAIN_WINDOW_Y", 20, -30000, 30000};
IntParameter LAST_EPOCH_TIME{"LAST_EPOCH_TIME:", 0, 0, 2147483647};
IntParameter CUSTOM_PARKING_PERCENTAGE{"CUSTOM_PARKING_PERCENTAGE", -1, -1, 100};
IntParameter HOLDING_THRESHOLD_METERS{"HOLDING_THRESHOLD_METERS", 250, 10, 4000};
IntParameter MAX_HOLDING_MINUTES{"MAX_HOLDING_MINUTES", 20, 1, 60};
IntParameter MAX_FIT{"MAX_FIT", 47, 0, 47};

IntListParameter MATCHING_DEPTH{"MATCHING_DEPTH", 4, {1, 2, 3, 4}, 32808, kRow3};
IntListParameter RANGE{
    "RANGE", 40, {2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100}, 32818, kRow4};
IntListParameter AR_ABOVE_HEIGHT{"AR_ABOVE_HEIGHT", 48000, lf_steps(18000, 48000, 3000), 32820, kRow4};
IntListParameter AIRP_RANGE{"AIRP_RANGE", 20, {5, 10, 15, 20, 25, 30}, 32840, kRow8};
IntListParameter AIRP_HEIGHT{"AIRP_HEIGHT", 18000, lf_airportHeights(), 32841, kRow8};
IntListParameter MAX_PARK_SEL{"MAX_PARK_SEL", 500, kSelectionLimits, 32848, kRow7};
IntListParameter MAX_LIVE_SEL{"MAX_LIVE_SEL", 500, kSelectionLimits, 32849, kRow7};
IntListParameter TIME_SHIFT_DAYS{"TIME_SHIFT_DAYS", 0, lf_steps(0, 13, 1), 32858, kRow4};
IntListParameter TIME_SHIFT_HOURS{"TIME_SHIFT_HOURS", 0, lf_steps(0, 23, 1), 32859, kRow5};
IntListParameter TIME_SHIFT_MINS{"TIME_SHIFT_MINS", 0, lf_steps(0, 59, 1), 32860, kRow6};
IntListParameter parking_percentage{"parking_percentage", 30, lf_steps(0, 100, 5), 32850, kRow9};
FloatListParameter MAX_FIT_FL{"MAX_FIT_FL", 24.0f, lf_fitHours(), 32854, kRow9};

StringParameter PROGRAM_VERSION{"PROGRAM_VERSION", ""};
StringParameter MSFS_INSTALL_PATH{"MSFS_INSTALL_PATH", ""};
StringParameter MSFS_2024_INSTALL_PATH{"MSFS_2024_INSTALL_PATH", ""};
StringParameter lfolder0{"lfolder0", ""};
StringParameter lfolder1{"lfolder1", ""};
StringParameter lfolder2{"lfolder2", ""};
StringParameter lfolder3{"lfolder3", ""};
StringParameter lfolder4{"lfolder4", ""};
StringParameter lfolder5{"lfolder5", ""};
StringParameter lfolder6{"lfolder6", ""};
StringParameter lfolder7{"lfolder7", ""};
StringParameter lfolder8{"lfolder8", ""};
StringParameter lfolder9{"lfolder9", ""};
StringParameter AIG_VERSION{"AIG_VERSION", ""};
StringParameter DBASE_VERSION{"DBASE_VERSION", ""};
StringParameter AIRPORTS_VERSION{"AIRPORTS_VERSION", ""};
StringParameter LIV_SCAN_VERSION{"LIV_SCAN_VERSION", ""};
StringParameter ADDONS_SCAN_VERSION{"ADDONS_SCAN_VERSION", ""};
StringParameter MYSIMADDON24_VERSION{"MYSIMADDON24_VERSION", ""};

ChoiceParameter AI_PACKAGE_SELECTOR{"AI_PACKAGE_SELECTOR", "AIG, FSLTL, JF, MTL", kPackageOrders, 32790,
                                    kRow1};
EditParameter DESTINATION{"DESTINATION", "", 32839, kRow8};
EditParameter BLOCK_CALLSIGN{"BLOCK_CALLSIGN", "", 32828, kRow5};
EditParameter ALL_INSTALL_PATH{"ALL_INSTALL_PATH", "", 32788, kRow0};
ChoiceParameter SIM_CHOICE{"SIM_CHOICE", "MSFS 2020", {"MSFS 2020", "MSFS 2024"}, 32789, kRow0};

const std::shared_ptr<std::vector<std::string>> g_callsignChoices =
    std::make_shared<std::vector<std::string>>(1, std::string());
SharedChoiceParameter CALLSIGN_2_OBJECTID{"CALLSIGN_2_OBJECTID", "", g_callsignChoices, 32831, kRow5};

const std::vector<StringParameter*> g_liveryFolders = {&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                                                       &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};

const std::vector<BoolParameter*> g_boolParameters = {
    &ALWAYS_ON_TOP,      &OBJECTID_LIST,      &NAV_LIGHTS_WHILE_PARKED,
    &GUID_CHANGES,       &SIM_TIME,           &KEEP_SIM_TIME_PAR,
    &SCAN_LIVERIES,      &LIG_AUTOMATIC,      &LIG_PRIORITIZE,
    &SCAN_AIRPORTS,      &LIGHT_AIRCRAFT,     &HELICOPTERS,
    &HIGH_PERF_AIRCRAFT, &AUTO_RANGE,         &AIRBORNE_ONLY,
    &COLLISION_USER_GND, &COLLISION_USER_AIR, &COLLISION_LIVE_PARKED_GND,
    &STRAIGHT_PBS_ONLY,  &INITIAL_LOAD_ONLY,  &WEEK,
    &PARK_SOFT,          &RT_PARKTRAFFIC_ONLY};

const std::vector<IntParameter*> g_intParameters = {&MAIN_WINDOW_X,
                                                    &MAIN_WINDOW_Y,
                                                    &LAST_EPOCH_TIME,
                                                    &CUSTOM_PARKING_PERCENTAGE,
                                                    &HOLDING_THRESHOLD_METERS,
                                                    &MAX_HOLDING_MINUTES,
                                                    &AIRP_HEIGHT,
                                                    &MAX_FIT};

const std::vector<IntListParameter*> g_intListParameters = {
    &MATCHING_DEPTH, &RANGE,       &AR_ABOVE_HEIGHT, &MAX_PARK_SEL,     &MAX_LIVE_SEL,
    &AIRP_RANGE,     &AIRP_HEIGHT, &TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS};

const std::vector<StringParameter*> g_stringParameters = {&PROGRAM_VERSION,
                                                          &MSFS_INSTALL_PATH,
                                                          &lfolder0,
                                                          &lfolder1,
                                                          &lfolder2,
                                                          &lfolder3,
                                                          &lfolder4,
                                                          &lfolder5,
                                                          &lfolder6,
                                                          &lfolder7,
                                                          &lfolder8,
                                                          &lfolder9,
                                                          &AIG_VERSION,
                                                          &DBASE_VERSION,
                                                          &AIRPORTS_VERSION,
                                                          &LIV_SCAN_VERSION,
                                                          &ADDONS_SCAN_VERSION,
                                                          &MYSIMADDON24_VERSION,
                                                          &MSFS_2024_INSTALL_PATH,
                                                          &AI_PACKAGE_SELECTOR,
                                                          &DESTINATION};

const std::vector<EditParameter*> g_shownStringParameters = {&BLOCK_CALLSIGN, &SIM_CHOICE};

std::atomic<double> g_rangeNm{40.0};
std::atomic<std::int32_t> g_rangeMeters{40 * 1852};

} // namespace ovr
