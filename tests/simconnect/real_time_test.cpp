// The real-time world: its own thread ticks frames while a client thread
// dispatches and another thread sends requests, as the program does.
#include "sim_client.h"
#include "sim_link_definitions.h"

#include "platform/simconnect/world.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace ovr::sim::test
{
namespace
{

using namespace std::chrono_literals;

struct Shared
{
    HANDLE h = nullptr;
    std::atomic<int> frames{0};
    std::atomic<int> userData{0};
    std::atomic<int> thrown{0};
};

void onRecord(SIMCONNECT_RECV* recv, DWORD, void* context)
{
    auto* shared = static_cast<Shared*>(context);
    if (recv->dwID == SIMCONNECT_RECV_ID_EVENT_FRAME)
    {
        // like the Frame handler: data sent from inside the dispatch
        SimConnect_TransmitClientEvent(shared->h, SIMCONNECT_OBJECT_ID_USER, 207, 1, 301, 0);
        if (++shared->frames % 7 == 0)
        {
            ++shared->thrown;
            throw std::runtime_error("handler failed");
        }
    }
    else if (recv->dwID == SIMCONNECT_RECV_ID_SIMOBJECT_DATA)
    {
        ++shared->userData;
    }
}

TEST(RealTime, FramesFlowWhileAnotherThreadRequests)
{
    WorldOptions options;
    options.realTime = true;
    World world({}, options);
    Client c;
    Shared shared;
    shared.h = c.h;
    SimConnect_SubscribeToSystemEvent(c.h, 204, "Frame");
    SimConnect_MapClientEventToSimEvent(c.h, 207, "NAV_LIGHTS_SET");
    registerLinkDefinitions(c.h);

    std::mutex simConnectMutex; // the program's lock around calls from other threads
    std::jthread dispatcher(
        [&](std::stop_token stop)
        {
            while (!stop.stop_requested())
            {
                try
                {
                    SimConnect_CallDispatch(c.h, onRecord, &shared);
                }
                catch (const std::runtime_error&)
                {
                    // the program stores it and goes on
                }
                std::this_thread::sleep_for(1ms);
            }
        });
    std::jthread requester(
        [&](std::stop_token stop)
        {
            while (!stop.stop_requested())
            {
                {
                    std::lock_guard lock(simConnectMutex);
                    SimConnect_RequestDataOnSimObject(c.h, 109, 403, SIMCONNECT_OBJECT_ID_USER,
                                                      SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0);
                }
                std::this_thread::sleep_for(10ms);
            }
        });

    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while ((shared.frames < 15 || shared.userData < 3) && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(5ms);
    }
    requester.request_stop();
    requester.join();
    dispatcher.request_stop();
    dispatcher.join();

    EXPECT_GE(shared.frames, 15);
    EXPECT_GE(shared.userData, 3);
    EXPECT_GE(shared.thrown, 2);
    EXPECT_EQ(world.object(SIMCONNECT_OBJECT_ID_USER)->lights & kLightNav, kLightNav);
    EXPECT_GT(world.nowMs(), 0);
}

TEST(RealTime, CallsFromManyThreadsWhileTheSimulatorQuits)
{
    WorldOptions options;
    options.realTime = true;
    World world({}, options);
    std::atomic<int> opened{0};
    {
        std::vector<std::jthread> clients;
        for (int i = 0; i < 4; ++i)
        {
            clients.emplace_back(
                [&]
                {
                    for (int round = 0; round < 20; ++round)
                    {
                        HANDLE h = nullptr;
                        if (SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0) < 0)
                        {
                            continue;
                        }
                        ++opened;
                        SimConnect_SubscribeToSystemEvent(h, 204, "Frame");
                        std::vector<Received> got;
                        SimConnect_CallDispatch(h, collect, &got);
                        std::this_thread::sleep_for(2ms);
                        SimConnect_Close(h);
                    }
                });
        }
        std::this_thread::sleep_for(20ms);
        world.quit();
        std::this_thread::sleep_for(10ms);
        world.setAvailable(true);
    }
    EXPECT_GT(opened, 0);
    EXPECT_TRUE(world.clients().empty()) << "every connection was closed";
}

} // namespace
} // namespace ovr::sim::test
