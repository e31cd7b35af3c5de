#include "service/service_panel.h"

namespace ovr
{

std::atomic<std::int32_t> g_trafficIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_weatherIndicator{kIndicatorStopped};
std::atomic<std::int32_t> g_qnhShown{0};
std::atomic<std::uint8_t> g_authenticated{0};

} // namespace ovr
