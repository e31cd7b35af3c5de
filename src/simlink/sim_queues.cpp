#include "simlink/sim_queues.h"

#include <cstddef>
#include <initializer_list>
#include <mutex>

#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"

namespace ovr
{

std::vector<CreateRequest> g_createRequests;
std::vector<ClientEventCmd> g_clientEvents;
std::vector<std::uint32_t> g_removeRequests;
std::vector<PosUpdate> g_posUpdateBufA;
std::vector<PosUpdate> g_posUpdateBufB;
std::array<std::vector<PosUpdate>*, 2> g_posUpdates{&g_posUpdateBufA, &g_posUpdateBufB};
std::vector<PendingCreate> g_pendingCreates;
std::vector<std::uint32_t> g_newObjectIds;
std::uint32_t g_nextCreateRequestId = kReqCreateFirst;

namespace
{

constexpr std::size_t kQueueRoom = 256;

void lf_queueEvents(std::initializer_list<ClientEventCmd> events)
{
    const std::lock_guard lock(g_simConnectMutex);
    g_clientEvents.insert(g_clientEvents.end(), events);
}

} // namespace

void gf_queueCreateAc(const CreateRequest& request)
{
    const std::lock_guard lock(g_simConnectMutex);
    g_createRequests.push_back(request);
}

void gf_engineShutdown(std::uint32_t object)
{
    lf_queueEvents({{object, kEngineAutoShutdown, 0}});
}

void gf_engineStart(std::uint32_t object)
{
    lf_queueEvents({{object, kEngineAutoStart, 0}});
}

void gf_setLights(std::uint32_t object, std::span<const std::uint32_t, 7> values)
{
    lf_queueEvents({{object, kNavLightsSet, values[0]},
                    {object, kBeaconLightsSet, values[1]},
                    {object, kLandingLightsSet, values[2]},
                    {object, kTaxiLightsSet, values[3]},
                    {object, kStrobesSet, values[4]},
                    {object, kLogoLightsSet, values[5]},
                    {object, kCabinLightsSet, values[6]}});
}

void gf_setNavLights(std::uint32_t object, std::uint32_t on)
{
    lf_queueEvents({{object, kNavLightsSet, on}});
}

void gf_setCabinLights(std::uint32_t object, std::uint32_t on)
{
    lf_queueEvents({{object, kCabinLightsSet, on}});
}

std::uint8_t gf_resetSimQueues()
{
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_posUpdateBufA.reserve(kQueueRoom);
        g_posUpdateBufB.reserve(kQueueRoom);
        g_createRequests.reserve(kQueueRoom);
        g_removeRequests.reserve(kQueueRoom);
    }
    g_pendingCreates.reserve(kQueueRoom);
    g_newObjectIds.reserve(kQueueRoom);
    return g_simConnectError.exchange(0);
}

} // namespace ovr
