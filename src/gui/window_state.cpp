#include "gui/window_state.h"

#include "airports/airport_panel_figures.h"
#include "service/service_panel.h"
#include "simlink/sim_panel_fields.h"

namespace ovr
{

SharedValue<std::string> g_followText;
std::atomic<std::int64_t> g_movingCount{0};
std::atomic<std::int64_t> g_parkedLiveCount{0};
std::atomic<std::int64_t> g_staticCount{0};
std::atomic<std::uint8_t> g_serviceNotStarted{1};
std::atomic<std::uint8_t> g_timeControlsEnabled{1};
std::atomic<std::uint8_t> g_nowPermitted{0};

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
    g_movingCount.store(0);
    g_parkedLiveCount.store(0);
    g_staticCount.store(0);
    g_parkedMeanHoursShown.store(-1.0f);
    g_staticMeanFitShown.store(-1.0f);
    g_serviceNotStarted.store(1);
    g_trafficIndicator.store(kIndicatorStopped);
    g_weatherIndicator.store(kIndicatorStopped);
}

} // namespace ovr
