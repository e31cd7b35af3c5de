#include "app/seams.h"

#include "airports/airport_settings_window.h"
#include "app/start_up.h"
#include "gui/option_helpers.h"
#include "gui/park_setting_controls.h"
#include "gui/window_procedure.h"
#include "scanners/scan_window.h"
#include "service/traffic_handover.h"
#include "simlink/user_aircraft.h"
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
    });
    gf_setScanWindow({
        .openParametersFolder = &lf_openParametersFolder,
        .openManual = &lf_openManual,
    });
}

} // namespace ovr
