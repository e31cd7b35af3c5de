#include "airports/airport_settings.h"

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/airport_settings_window.h"
#include "airports/max_fit.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/range.h"

namespace ovr
{

SavedApfParameters g_savedApfParameters;

namespace
{

constexpr std::int32_t kDefaultParkingPercentage = 30;
constexpr float kWidestFitHours = 24.0f;
constexpr std::int32_t kSoftOnlyBelow = 3;
constexpr std::int32_t kWellCoveredFrom = 46;

void lf_enableControl(const WindowControl& control, bool enable)
{
    gf_enableParameterControl(control, enable);
}

void lf_showFitHours()
{
    if (auto show = gf_airportSettingsWindow().showFitHours)
        show();
}

void lf_setCheck(BoolParameter& parameter, bool value)
{
    parameter.current = value;
    gf_showParameterCheck(parameter);
}

void lf_setValue(IntListParameter& parameter, std::int32_t value)
{
    parameter.current = value;
    gf_showParameterValue(parameter);
}

void lf_logSetting(std::string_view key, auto value)
{
    gf_logContinuation(fmt::format("{:24}: {}", key, value));
}

void lf_showAutoRangeControls()
{
    const bool on = AUTO_RANGE.current.load();
    lf_enableControl(RANGE, !on);
    lf_enableControl(AR_ABOVE_HEIGHT, on);
}

void lf_restoreInt(IntParameter& parameter, std::int32_t saved, void (*apply)())
{
    if (parameter.current.load() == saved)
        return;
    parameter.current = parameter.clamp(saved);
    gf_saveParameter(parameter);
    apply();
}

void lf_restoreBool(BoolParameter& parameter, bool saved, void (*apply)())
{
    if (parameter.current.load() == saved)
        return;
    parameter.current = saved;
    gf_saveBoolSetting(parameter);
    gf_showParameterCheck(parameter);
    apply();
}

// A learned file's boolean, set and shown when present.
bool lf_learnedBool(pugi::xml_node document, BoolParameter& parameter)
{
    const std::optional<bool> value = gf_readBoolParameter(document, parameter.name);
    if (!value)
        return false;
    lf_setCheck(parameter, *value);
    lf_logSetting(parameter.name, *value);
    return true;
}

} // namespace

void gf_saveApfParameters()
{
    g_savedApfParameters = SavedApfParameters{
        .maxLiveSel = MAX_LIVE_SEL.current.load(),
        .maxFit = MAX_FIT.current.load(),
        .maxFitHours = MAX_FIT_FL.current.load(),
        .range = RANGE.current.load(),
        .parkingPercentage = parking_percentage.current.load(),
        .autoRange = AUTO_RANGE.current.load(),
        .initialLoadOnly = INITIAL_LOAD_ONLY.current.load(),
        .rtParktrafficOnly = RT_PARKTRAFFIC_ONLY.current.load(),
        .parkSoft = PARK_SOFT.current.load(),
        .week = WEEK.current.load(),
        .kept = true,
    };
}

void gf_restoreAirportSettings()
{
    const SavedApfParameters& saved = g_savedApfParameters;
    // A read that failed before it kept the values must not put zeros in
    // place of the user's settings.
    if (!saved.kept)
        return;
    lf_restoreInt(MAX_LIVE_SEL, saved.maxLiveSel, [] { gf_showParameterValue(MAX_LIVE_SEL); });
    lf_restoreInt(MAX_FIT, saved.maxFit, [] { gf_setMaxFit(); });
    lf_restoreInt(RANGE, saved.range, [] { gf_setRange(RANGE.current.load()); });
    lf_restoreInt(parking_percentage, saved.parkingPercentage,
                  [] { gf_showParameterValue(parking_percentage); });
    lf_restoreBool(AUTO_RANGE, saved.autoRange, [] { lf_showAutoRangeControls(); });
    lf_restoreBool(INITIAL_LOAD_ONLY, saved.initialLoadOnly, [] {});
    lf_restoreBool(RT_PARKTRAFFIC_ONLY, saved.rtParktrafficOnly, [] {});
    lf_restoreBool(PARK_SOFT, saved.parkSoft, [] {});
    lf_restoreBool(WEEK, saved.week, [] {});
    // The fit window in hours goes back as well: the airport defaults widen
    // it without touching MAX_FIT, and a learned file is written from it.
    if (MAX_FIT_FL.current.load() != saved.maxFitHours)
    {
        MAX_FIT_FL.current = saved.maxFitHours;
        lf_showFitHours();
    }
    g_savedApfParameters.kept = false;
}

void gf_applyAirportDefaults(CoveragePair coverage, const IcaoCode& icao)
{
    if (coverage.real < kSoftOnlyBelow && coverage.soft >= 1)
    {
        lf_setCheck(PARK_SOFT, true);
        lf_setCheck(WEEK, true);
        MAX_FIT_FL.current = kWidestFitHours;
        lf_showFitHours();
    }
    else if (coverage.real >= kWellCoveredFrom)
    {
        lf_setCheck(PARK_SOFT, false);
        lf_setCheck(WEEK, false);
    }
    const Airport* airport = gf_findAirport(icao);
    const std::int32_t listed = airport != nullptr ? airport->stands : 0;
    const std::int32_t percentage = listed == 1 ? 100 : listed == 2 ? 50 : kDefaultParkingPercentage;
    lf_setValue(parking_percentage, percentage);
    gf_logContinuation(fmt::format("{:24}: {}%", parking_percentage.name, percentage));
    lf_enableControl(parking_percentage, true);
}

void gf_applyLearnedSettings(pugi::xml_node document)
{
    if (const std::optional<std::int32_t> value = gf_getParameter(document, MAX_LIVE_SEL.name))
    {
        lf_setValue(MAX_LIVE_SEL, MAX_LIVE_SEL.clamp(*value));
        lf_logSetting(MAX_LIVE_SEL.name, MAX_LIVE_SEL.current.load());
    }
    if (const std::optional<std::int32_t> value = gf_getParameter(document, RANGE.name))
    {
        gf_setRange(*value);
        lf_enableControl(RANGE, true);
        lf_logSetting(RANGE.name, RANGE.current.load());
    }
    const AirportSettingsWindow& window = gf_airportSettingsWindow();
    if (lf_learnedBool(document, AUTO_RANGE) && window.applyAutoRange != nullptr)
        window.applyAutoRange();

    const std::optional<std::int32_t> percentage = gf_getParameter(document, parking_percentage.name);
    // The percentage is a share: a value outside 0..100 would park more
    // aircraft than the airport has stands.
    lf_setValue(parking_percentage, parking_percentage.clamp(percentage.value_or(kDefaultParkingPercentage)));
    if (percentage)
        lf_logSetting(parking_percentage.name, parking_percentage.current.load());

    lf_learnedBool(document, WEEK);
    lf_learnedBool(document, PARK_SOFT);
    if (const std::optional<std::int32_t> value = gf_getParameter(document, MAX_FIT.name))
    {
        MAX_FIT.current = MAX_FIT.clamp(*value);
        gf_setMaxFit();
        gf_logContinuation(fmt::format("{:24}: {} (max number of half hours, is {:.1F} hrs decimal)",
                                       MAX_FIT.name, MAX_FIT.current.load(), MAX_FIT_FL.current.load()));
    }
    if (lf_learnedBool(document, RT_PARKTRAFFIC_ONLY) && window.enableParkPctControls != nullptr)
        window.enableParkPctControls();
    if (lf_learnedBool(document, INITIAL_LOAD_ONLY) && window.enableInitialLoadDependent != nullptr)
        window.enableInitialLoadDependent(!INITIAL_LOAD_ONLY.current.load() &&
                                          !RT_PARKTRAFFIC_ONLY.current.load());
}

} // namespace ovr
