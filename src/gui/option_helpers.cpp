#include "gui/option_helpers.h"

#include <algorithm>

#include "core/globals.h"
#include "core/parameters.h"
#include "gui/setting_controls.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"

namespace ovr
{

namespace
{

constexpr std::int32_t kMaxTimeShiftMinutes = 20160;

} // namespace

// The window's option commands arrive with the main window; until then the
// helpers keep the values the rest of the program reads consistent.
void gf_applyAutoRange() {}

void gf_autoRange() {}

void gf_enableParkPctControls() {}

void gf_enableTimeControls(bool /*enable*/) {}

void gf_timeShift(std::int32_t minutes, bool /*show*/)
{
    minutes = std::clamp(minutes, 0, kMaxTimeShiftMinutes);
    g_trafficReader.toffset.store(minutes);
    g_weatherReader.toffset.store(minutes);
    g_timeShiftOn.store(minutes > 0 ? 1 : 0);
}

void gf_showTimeShift(std::int32_t /*minutes*/) {}

void gf_parkingBusy() {}

void gf_scheduleParkingUpdate() {}

void gf_setDestination(std::string_view /*destination*/, const Airport& /*airport*/) {}

void gf_updateTrafficCounts() {}

void lf_noTrafficCheck() {}

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
    for (const ChoiceParameter* parameter : {&AI_PACKAGE_SELECTOR, &SIM_CHOICE})
    {
        lf_fillChoiceCombo(*parameter);
        lf_enableSettingControl(*parameter);
    }
}

void gf_enableRereadButton(bool /*enable*/) {}

void gf_enableCsOidButton(bool /*enable*/) {}

} // namespace ovr
