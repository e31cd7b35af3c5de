#include "gui/window_state.h"

#include "service/service_panel.h"
#include "simlink/sim_panel_fields.h"

namespace ovr
{

SharedValue<std::string> g_followText;

void gf_resetWindowState()
{
    gf_setSimulatorText("");
    g_followText.store("");
    g_qnhShown.store(0);
    g_authenticated.store(0);
    g_simConnectedShown.store(0);
    g_simRunningShown.store(0);
    g_mySimaddonCount.store(0);
    g_myThirdpartyCount.store(0);
    g_trafficIndicator.store(kIndicatorStopped);
    g_weatherIndicator.store(kIndicatorStopped);
}

} // namespace ovr
