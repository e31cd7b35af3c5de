#include "gui/option_helpers.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>
#include <string>

#include <fmt/format.h>
#include <gsl/gsl>

#include "airports/airport_list.h"
#include "airports/airport_panel_figures.h"
#include "airports/park_airport.h"
#include "airports/static_count.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/range.h"
#include "core/shell_open.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/stop_request.h"
#include "core/text_convert.h"
#include "core/user_on_ground.h"
#include "core/window_requests.h"
#include "gui/app_window.h"
#include "gui/main_window_detail.h"
#include "gui/main_window_state.h"
#include "gui/park_setting_controls.h"
#include "gui/setting_controls.h"
#include "gui/window_state.h"
#include "platform/shell/message_box.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_aircraft.h"
#include "traffic/park_airports.h"

namespace ovr
{

std::atomic<std::int64_t> g_simTimeBase{0};

namespace
{

constexpr std::int32_t kMaxTimeShiftMinutes = 20160;
constexpr std::int32_t kStaticRenewPeriodMinutes = 20;
constexpr std::int32_t kParkingSlotSeconds = 15;
constexpr int kNoTrafficPolls = 150;
constexpr auto kNoTrafficPoll = std::chrono::milliseconds(100);

std::string_view lf_plural(std::int64_t n)
{
    return gf_plural64(n);
}

void lf_enable(const WindowControl& control, bool enable)
{
    gf_enableParameterControl(control, enable);
}

bool lf_parkAirportInForce()
{
    const std::scoped_lock lock(g_parkAirportsMutex);
    return !g_parkAirport.icao.empty();
}

// The time-shift boxes may be used while the account allows a time shift and
// the simulator's clock does not set it.
void lf_enableTimeShiftBoxes()
{
    const bool allowed = g_timeControlsEnabled.load() != 0;
    for (const IntListParameter* box : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_enable(*box, allowed && !SIM_TIME.current.load());
    }
    lf_enable(SIM_TIME, allowed);
}

void lf_showDestination(std::string_view destination)
{
    gf_setParameter(DESTINATION, std::string(destination));
    gf_showParameterText(DESTINATION);
    gf_setStatus(fmt::format("New destination: {}", destination), true);
    gf_enableButton(g_rereadButton, false);
}

std::int32_t lf_selectIn(IntListParameter& parameter, std::int32_t value)
{
    parameter.current.store(parameter.clamp(value));
    gf_saveParameter(parameter);
    if (const std::optional<std::size_t> index = parameter.currentIndex())
    {
        gf_selectParameterEntry(parameter, *index);
    }
    return parameter.current.load();
}

// The query radius for a distance d (NM) to the park airport.
std::int32_t lf_radiusForDistance(double d)
{
    if (d <= 7.0)
    {
        return 10;
    }
    if (d >= 37.0)
    {
        return 40;
    }
    const auto r = gsl::narrow<std::int32_t>(std::round(d));
    constexpr std::pair<std::int32_t, std::int32_t> kSteps[] = {{33, 35}, {28, 30}, {23, 25}, {19, 20}, {17, 18},
                                                                {15, 16}, {13, 14}, {11, 12}, {9, 10}};
    for (const auto& [from, radius] : kSteps)
    {
        if (r >= from)
        {
            return radius;
        }
    }
    return 8;
}

double lf_distanceToParkAirport(double latitude, double longitude)
{
    std::optional<IcaoCode> first;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        if (!g_parkAirports.empty())
        {
            first = g_parkAirports.front().icao;
        }
    }
    const Airport* airport = first ? gf_findAirport(*first) : nullptr;
    if (airport == nullptr)
    {
        return 10000.0;
    }
    return gf_distanceNm(LatLon{latitude, longitude}, LatLon{airport->latitude, airport->longitude});
}

} // namespace

namespace detail
{
std::int32_t autoRangeFor(bool onGround, double altitudeFt, double distanceNm)
{
    if (onGround)
    {
        return 10;
    }
    if (altitudeFt > static_cast<double>(AR_ABOVE_HEIGHT.current.load()))
    {
        return 100;
    }
    if (altitudeFt > static_cast<double>(AIRP_HEIGHT.current.load()))
    {
        return 40;
    }
    return lf_radiusForDistance(distanceNm);
}
} // namespace detail

void gf_applyAutoRange()
{
    // The range the user chose by hand, given back when AUTO_RANGE goes off.
    static std::atomic<std::int32_t> manualRange{RANGE.defaultValue};
    if (AUTO_RANGE.current.load())
    {
        manualRange.store(RANGE.current.load());
        gf_autoRange();
    }
    else
    {
        gf_setRange(manualRange.load());
        gf_clearStatus();
    }
    lf_enable(RANGE, !AUTO_RANGE.current.load());
}

void gf_autoRange()
{
    if (!AUTO_RANGE.current.load())
    {
        return;
    }
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = 0.0;
    {
        const std::scoped_lock lock(g_simConnectMutex);
        latitude = g_userPos.latitude;
        longitude = g_userPos.longitude;
        altitude = g_userPos.altitude;
    }
    const bool onGround = g_userOnGround.load() != 0;
    const double distance = onGround ? 0.0 : lf_distanceToParkAirport(latitude, longitude);
    const std::int32_t before = RANGE.current.load();
    gf_setRange(detail::autoRangeFor(onGround, altitude, distance));
    if (RANGE.current.load() != before)
    {
        gf_updateTrafficBox();
    }
}

void gf_enableParkPctControls()
{
    const bool enable = !RT_PARKTRAFFIC_ONLY.current.load() && g_parkingBusy.load() == 0;
    for (const WindowControl* control : std::initializer_list<const WindowControl*>{
             &PARK_SOFT, &WEEK, &parking_percentage, &MAX_FIT_FL})
    {
        lf_enable(*control, enable);
    }
    gf_repaintRect(kOptionsAreaRect);
}

void gf_enableTimeControls(bool enable)
{
    g_timeControlsEnabled.store(enable ? 1 : 0);
    lf_enableTimeShiftBoxes();
    gf_repaintRect(kOptionsAreaRect);
}

void gf_showTimeShift(std::int32_t minutes)
{
    const std::int32_t days = lf_selectIn(TIME_SHIFT_DAYS, minutes / 1440);
    lf_selectIn(TIME_SHIFT_HOURS, (minutes - days * 1440) / 60);
    lf_selectIn(TIME_SHIFT_MINS, minutes - (minutes / 60) * 60);
}

void gf_timeShift(std::int32_t minutes, bool quiet)
{
    // A negative shift would ask the service for the future.
    minutes = std::max(minutes, 0);
    g_timeShiftOn.store(minutes > 0 ? 1 : 0);
    if (minutes > kMaxTimeShiftMinutes)
    {
        minutes = kMaxTimeShiftMinutes;
        gf_log("Time shifting is limited to 2 weeks");
    }
    gf_showTimeShift(minutes);
    g_trafficReader.toffset.store(minutes);
    g_weatherReader.toffset.store(minutes);
    if (minutes != 0)
    {
        if (!quiet)
        {
            gf_setStatus(fmt::format("Time shifted {} minute{}", minutes, lf_plural(minutes)), true);
        }
    }
    else
    {
        gf_setStatus("Time shift = 0", true);
    }
    if (quiet || !lf_parkAirportInForce())
    {
        return;
    }
    // The traffic of another time is about to be played: the main loop
    // removes every aircraft and renews the static parking.
    g_timeShiftFlushRequested.store(1);
}

void gf_applySimTimeSetting()
{
    if (!SIM_TIME.current.load())
    {
        gf_showTimeShift(0);
        gf_timeShift(0, true);
        g_simTimeBase.store(g_simEpoch.load());
    }
    else
    {
        g_simTimeBase.store(0);
    }
    for (const IntListParameter* box : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_enable(*box, !SIM_TIME.current.load());
    }
}

void gf_parkingBusy()
{
    g_parkingBusy.store(1);
    for (const WindowControl* control : std::initializer_list<const WindowControl*>{
             &parking_percentage, &WEEK, &PARK_SOFT, &MAX_FIT_FL, &MAX_PARK_SEL, &MAX_LIVE_SEL})
    {
        lf_enable(*control, false);
    }
    gf_enableButton(g_flushStaticButton, false);
    if (!INITIAL_LOAD_ONLY.current.load())
    {
        gf_enableButton(g_nowButton, false);
    }
    gf_enableButton(g_rereadButton, false);
    lf_enable(SIM_TIME, false);
    for (const IntListParameter* box : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_enable(*box, false);
    }
    lf_enable(RT_PARKTRAFFIC_ONLY, false);
    g_nowPermitted.store(1);
    gf_repaintRect(kOptionsAreaRect);
}

void gf_parkingDone()
{
    g_parkingBusy.store(0);
    g_staticRenewMinutes.store(kStaticRenewPeriodMinutes);
    gf_repaintRect(kOptionsAreaRect);
    lf_enable(MAX_PARK_SEL, true);
    lf_enable(MAX_LIVE_SEL, true);
    lf_enableTimeShiftBoxes();
    lf_enable(RT_PARKTRAFFIC_ONLY, true);
    if (!INITIAL_LOAD_ONLY.current.load())
    {
        gf_enableButton(g_nowButton, true);
    }
    gf_enableButton(g_flushStaticButton, true);
    gf_enableButton(g_rereadButton, true);
    g_nowPermitted.store(1);
    gf_enableParkPctControls();
    gf_repaintRect(kOptionsAreaRect);
}

void gf_scheduleParkingUpdate()
{
    gf_parkingBusy();
    const std::int32_t tick = g_tick.load();
    const std::int32_t seconds = (tick / kParkingSlotSeconds + 1) * kParkingSlotSeconds - tick;
    gf_setStatus(fmt::format("{} will update static parking in {} second{} ...", g_programShortName, seconds,
                             lf_plural(seconds)),
                 false);
    g_staticParkingArmed.store(1);
}

void gf_parkAirportLeft()
{
    if (!INITIAL_LOAD_ONLY.current.load())
    {
        gf_enableButton(g_nowButton, false);
    }
    g_nowPermitted.store(1);
    gf_enableButton(g_flushStaticButton, false);
    gf_enableParameterControl(DESTINATION, true);
    gf_repaintRect(kOptionsAreaRect);
}

void gf_setDestination(std::string_view destination, const Airport& airport)
{
    lf_showDestination(destination);
    gf_setFirstParkAirport(airport.icao, airport.latitude, airport.longitude);
}

void gf_requestDestination(std::string_view destination, const Airport& airport)
{
    lf_showDestination(destination);
    g_destinationRequest.store(DestinationRequest{airport.icao, airport.latitude, airport.longitude});
}

void gf_updateTrafficCounts()
{
    const auto parked = static_cast<std::int64_t>(gf_countParkedLiveAc(true));
    const auto active = static_cast<std::int64_t>(std::ranges::count_if(
        g_liveAircraft, [](const LiveAc& aircraft) { return aircraft.simState == kSimStateActive; }));
    const std::int64_t moving = std::max<std::int64_t>(active - parked, 0);
    if (g_movingCount.exchange(moving) != moving)
    {
        gf_repaintRect(kTopPanelRect);
    }
    const auto statics = static_cast<std::int64_t>(gf_countStaticAc(true));
    const bool staticChanged = g_staticCount.exchange(statics) != statics;
    const bool parkedChanged = g_parkedLiveCount.exchange(parked) != parked;
    if (staticChanged || parkedChanged)
    {
        gf_repaintRect(kCandidatesStripRect);
    }
}

void lf_noTrafficCheck()
{
    for (int poll = 0; poll < kNoTrafficPolls; ++poll)
    {
        if (gsl::narrow<std::int64_t>(std::round(g_trafficReader.dataTime.load())) != 0)
        {
            return;
        }
        if (gf_stopRequested())
        {
            return;
        }
        gf_waitUnlessStopped(kNoTrafficPoll);
    }
    if (gsl::narrow<std::int64_t>(std::round(g_trafficReader.dataTime.load())) == 0)
    {
        gf_log("No traffic in this region?");
    }
}

bool lf_openParametersFolder()
{
    if (gf_openWithShell(g_parametersFile))
    {
        return true;
    }
    const std::wstring caption = gf_utf8ToWide(g_programShortName);
    MessageBoxW(nullptr, L"Could not open folder with parameters.xml", caption.c_str(), MB_ICONEXCLAMATION);
    return false;
}

bool lf_openManual()
{
    if (gf_openWithShell(g_docsPath / "Manual.pdf"))
    {
        return true;
    }
    const std::wstring caption = gf_utf8ToWide(g_programShortName);
    MessageBoxW(nullptr, L"Could not open local folder with Manual", caption.c_str(), MB_ICONEXCLAMATION);
    return false;
}

void gf_setOptionControlsStartState()
{
    for (const BoolParameter* parameter : g_boolParameters)
    {
        if (parameter != &SCAN_AIRPORTS)
        {
            lf_enableSettingControl(*parameter);
        }
    }
    for (const IntListParameter* parameter : g_intListParameters)
    {
        lf_fillListCombo(*parameter);
        lf_enableSettingControl(*parameter);
    }
    lf_fillListCombo(parking_percentage);
    lf_enableSettingControl(parking_percentage);
    lf_fillFloatCombo(MAX_FIT_FL);
    gf_showFitHours();
    lf_enableSettingControl(MAX_FIT_FL);
    for (const ChoiceParameter* parameter : {&AI_PACKAGE_SELECTOR, &SIM_CHOICE})
    {
        lf_fillChoiceCombo(*parameter);
        lf_enableSettingControl(*parameter);
    }
    lf_enableSettingControl(CALLSIGN_2_OBJECTID);
    lf_enableSettingControl(BLOCK_CALLSIGN);
    gf_showParameterText(BLOCK_CALLSIGN);
    gf_enableButton(g_unblockButton, !BLOCK_CALLSIGN.value().empty());
    lf_enableSettingControl(DESTINATION);
    gf_showParameterText(DESTINATION);
    lf_enable(AI_PACKAGE_SELECTOR, LIG_AUTOMATIC.current.load() && !SCAN_LIVERIES.current.load());
    lf_enable(AR_ABOVE_HEIGHT, AUTO_RANGE.current.load());
    lf_enable(RANGE, !AUTO_RANGE.current.load());
    gf_enableParkPctControls();
}

void gf_enableRereadButton(bool enable)
{
    gf_enableButton(g_rereadButton, enable);
}

void gf_enableCsOidButton(bool enable)
{
    gf_enableButton(g_csOidButton, enable);
}

} // namespace ovr
