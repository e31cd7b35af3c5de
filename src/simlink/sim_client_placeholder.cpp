#include "simlink/sim_client_placeholder.h"

#include <chrono>
#include <thread>

#include "core/closing_down.h"
#include "core/log.h"
#include "core/status_line.h"
#include "simlink/user_on_ground.h"

namespace ovr {

std::mutex g_simConnectMutex;
HANDLE g_simConnect = nullptr;
std::atomic<std::uint8_t> g_notYetConnected{1};
std::atomic<std::uint8_t> g_simRunning{0};
std::atomic<std::uint8_t> g_simConnectError{0};
std::atomic<std::uint8_t> g_userDataArrived{0};
UserAcState g_userState;
UserAcState g_userPos;
std::uint32_t g_userObjectId = 2;

namespace {

// A parked aircraft at Frankfurt, where the demo scenario plays.
constexpr double kPlaceholderLatitude = 50.0379;
constexpr double kPlaceholderLongitude = 8.5622;
constexpr double kPlaceholderAltitudeFt = 364.0;
constexpr auto kSlice = std::chrono::milliseconds(100);
constexpr int kSlicesPerDelivery = 10;

void lf_deliverUserData()
{
    {
        std::lock_guard lock(g_simConnectMutex);
        g_userState.latitude = kPlaceholderLatitude;
        g_userState.longitude = kPlaceholderLongitude;
        g_userState.altitude = kPlaceholderAltitudeFt;
    }
    g_userOnGround.store(1);
    g_userOnGroundValid.store(1);
    g_userDataArrived.store(1);
}

} // namespace

void SimClient(std::stop_token stop)
{
    g_notYetConnected.store(0);
    g_simRunning.store(1);
    int slices = 0;
    while (!stop.stop_requested())
    {
        if (slices == 0)
        {
            lf_deliverUserData();
        }
        slices = (slices + 1) % kSlicesPerDelivery;
        std::this_thread::sleep_for(kSlice);
    }
    g_simRunning.store(0);
}

std::uint8_t gf_resetSimQueues()
{
    return g_simConnectError.exchange(0);
}

UserAcState& gf_requestUserAcPosition(UserAcState& out)
{
    std::lock_guard lock(g_simConnectMutex);
    out = g_userState;
    return out;
}

void gf_requestUserAcTitleAndModel() {}

std::uint8_t gf_onSimRequestError()
{
    gf_setStatus("SimConnect request error", true);
    const std::uint8_t previous = g_simConnectError.exchange(1);
    gf_requestStop(kExitSimConnectError, kDelaySimConnectError);
    return previous;
}

} // namespace ovr
