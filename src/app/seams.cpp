#include "app/seams.h"

#include "airports/airport_settings_window.h"
#include "app/start_up.h"
#include "core/parameters.h"
#include "core/window_repaint.h"
#include "gui/app_window.h"
#include "gui/main_window_state.h"
#include "gui/option_helpers.h"
#include "gui/park_setting_controls.h"
#include "gui/setting_controls.h"
#include "gui/window_procedure.h"
#include "gui/window_state.h"
#include "scanners/scan_window.h"
#include "service/traffic_handover.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/park_airport_file.h"
#include "traffic/parking_window.h"
#include "traffic/received_traffic.h"

namespace ovr
{

void gf_connectSeams()
{
    gf_setStartMessageHandler(&lf_startStartUpThread);
    gf_setReceivedTaker(&gf_takeReceivedAc);
    gf_setUserStandHandler(&gf_recordUserStand);
    gf_setAirportSettingsWindow({
        .applyAutoRange = &gf_applyAutoRange,
        .enableParkPctControls = &gf_enableParkPctControls,
        .showFitHours = &gf_showFitHours,
        .enableInitialLoadDependent = &gf_enableInitialLoadDependent,
    });
    gf_setParkingWindow({
        .parkingBusy = &gf_parkingBusy,
        .parkingDone = &gf_parkingDone,
        .scheduleParkingUpdate = &gf_scheduleParkingUpdate,
        .parkAirportLeft = &gf_parkAirportLeft,
    });
    gf_setCallsignChoicesHook({
        .refreshCombo = &lf_fillGlobalChoiceCombo,
        .enableCombo =
            [](bool enable)
        {
            if (CALLSIGN_2_OBJECTID.hwnd != nullptr)
            {
                EnableWindow(CALLSIGN_2_OBJECTID.hwnd, enable ? TRUE : FALSE);
            }
        },
        .enableBlock = [](bool enable) { gf_enableButton(g_blockButton, enable); },
        .unblockEnabled = [] { return gf_buttonEnabled(g_unblockButton); },
        .setFollowText =
            [](const std::string& text)
        {
            g_followText = text;
            gf_repaintRect(kOptionsAreaRect);
        },
    });
    gf_setScanWindow({
        .openParametersFolder = &lf_openParametersFolder,
        .openManual = &lf_openManual,
    });
}

} // namespace ovr
