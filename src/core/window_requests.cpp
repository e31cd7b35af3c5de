#include "core/window_requests.h"

namespace ovr
{

std::atomic<std::uint8_t> g_rereadRequested{0};
std::atomic<std::uint8_t> g_flushStaticRequested{0};
std::atomic<std::uint8_t> g_csOidRequested{0};
std::atomic<std::uint8_t> g_noMatchListRequested{0};
std::atomic<std::uint8_t> g_blockListChanged{0};
std::atomic<std::uint8_t> g_followChanged{0};
std::atomic<std::uint8_t> g_parkingOptionChanged{0};
std::atomic<std::uint8_t> g_staticParkingArmed{0};
std::atomic<std::uint8_t> g_timeShiftFlushRequested{0};
std::atomic<std::uint8_t> g_maxLiveChanged{0};
std::atomic<std::uint8_t> g_navLightsChanged{0};
SharedValue<std::optional<DestinationRequest>> g_destinationRequest;
std::atomic<std::int32_t> g_staticRenewMinutes{20};

void gf_clearWindowRequests()
{
    for (std::atomic<std::uint8_t>* flag :
         {&g_rereadRequested, &g_flushStaticRequested, &g_csOidRequested, &g_noMatchListRequested,
          &g_blockListChanged, &g_followChanged, &g_parkingOptionChanged, &g_staticParkingArmed,
          &g_timeShiftFlushRequested, &g_maxLiveChanged, &g_navLightsChanged})
    {
        flag->store(0);
    }
    g_destinationRequest.store(std::nullopt);
}

} // namespace ovr
