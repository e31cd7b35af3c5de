#include "gui/window_state.h"

#include "core/app_window.h"

namespace ovr
{

std::atomic<std::int32_t> g_trafficIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_weatherIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_qnhShown{0};
std::atomic<std::uint8_t> g_authenticated{0};
std::atomic<std::uint8_t> g_simConnectedShown{0};
std::atomic<std::uint8_t> g_simRunningShown{0};
std::string g_simulatorText;
std::atomic<std::int64_t> g_mySimaddonCount{0};
std::atomic<std::int64_t> g_myThirdpartyCount{0};
std::string g_followText;
std::mutex g_panelMutex;

void gf_repaintStatusPanel()
{
    gf_repaintRect(kTopPanelRect);
}

void gf_resetWindowState()
{
    {
        std::lock_guard lock(g_panelMutex);
        g_simulatorText.clear();
        g_followText.clear();
    }
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
