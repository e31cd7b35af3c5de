#include "gui/window_state.h"

#include "gui/main_window_repaint.h"

namespace ovr {

std::atomic<std::int32_t> g_trafficIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_weatherIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_qnhShown{0};
std::atomic<std::uint8_t> g_authenticated{0};
std::atomic<std::uint8_t> g_simConnectedShown{0};
std::atomic<std::uint8_t> g_simRunningShown{0};

void gf_repaintStatusPanel()
{
    gf_repaintMainWindow();
}

} // namespace ovr
