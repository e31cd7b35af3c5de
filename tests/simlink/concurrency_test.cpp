// The main loop's producers against the SimClient thread's Frame handler:
// the try-lock that skips a busy frame, and a running link with both sides
// on their own threads.
#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "queue_fixture.h"
#include "simlink/object_events.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

std::vector<std::pair<DWORD, DWORD>> transmitted(const std::vector<sim::CallRecord>& calls)
{
    std::vector<std::pair<DWORD, DWORD>> out;
    for (const sim::CallRecord& c : calls)
    {
        out.emplace_back(c.args.at("event_id").get<DWORD>(), c.args.at("data").get<DWORD>());
    }
    return out;
}

class FrameLock : public QueueTest
{
};

// A frame that finds the queues locked sends nothing; the next one sends
// both frames' work in queue order.
TEST_F(FrameLock, ABusyFrameIsSkippedAndItsWorkSentNextTime)
{
    begin();
    const DWORD object = createOwn("DLH1", 0x3C0001);
    gf_setNavLights(object, 1);

    std::promise<void> locked;
    std::promise<void> release;
    std::thread mainLoop(
        [&]
        {
            const std::lock_guard lock(g_simConnectMutex);
            g_clientEvents.push_back({object, kBeaconLightsSet, 1});
            locked.set_value();
            release.get_future().wait();
        });
    locked.get_future().wait();
    step();
    EXPECT_TRUE(calls("SimConnect_TransmitClientEvent").empty());
    release.set_value();
    mainLoop.join();

    step();
    EXPECT_EQ(transmitted(calls("SimConnect_TransmitClientEvent")),
              (std::vector<std::pair<DWORD, DWORD>>{{kNavLightsSet, 1}, {kBeaconLightsSet, 1}}));
}

class RunningLink : public LinkTest
{
};

// The main loop creates aircraft, asks for the nearby report, takes the
// events, and queues lights and positions for what was created, while the
// SimClient thread serves a simulator running in real time.
TEST_F(RunningLink, ProducersAndTheFrameHandlerShareTheQueues)
{
    sim::WorldOptions options;
    options.realTime = true;
    sim::World live(baseScenario(), options);
    gf_resetSimQueues();
    ClientThread client;
    // The main loop works only while the simulation runs.
    const auto start = std::chrono::steady_clock::now();
    while (g_simRunning.load() == 0 && std::chrono::steady_clock::now() - start < 10s)
    {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(g_simRunning.load(), 1);

    constexpr std::uint32_t kAircraft = 6;
    std::map<std::uint32_t, DWORD> created; // key -> object
    std::map<DWORD, std::uint32_t> lastData;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    bool requested = false;
    std::uint32_t pass = 0;
    while (std::chrono::steady_clock::now() < deadline && (created.size() < kAircraft || pass < 300))
    {
        ++pass;
        if (g_simRunning.load() == 1 && g_userObjectId.load() != 2 && !requested)
        {
            for (std::uint32_t i = 0; i < kAircraft; ++i)
            {
                CreateRequest r;
                r.initPosition = {50.04 + 0.001 * i, 8.56, 364.0, 0, 0, 0, 1, 0};
                r.callsign = "TST" + std::to_string(i);
                r.liveryTitle = kTitle;
                r.key = 20000 + i;
                gf_queueCreateAc(r);
            }
            requested = true;
        }
        if (pass % 20 == 0)
        {
            const std::lock_guard lock(g_simConnectMutex);
            SimConnect_RequestDataOnSimObjectType(g_simConnect, kReqNearby, kDefNearby, 20000,
                                                  SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
        }
        if (pass % 100 == 1)
        {
            gf_requestUserAcPosition(g_userPos);
        }
        std::vector<SimEvent> events;
        {
            const std::lock_guard lock(g_objectEventsMutex);
            events.swap(g_objectEvents);
        }
        for (const SimEvent& e : events)
        {
            if (e.type == kSimEventLiveCreated || e.type == kSimEventStaticCreated)
            {
                EXPECT_TRUE(created.emplace(e.key, e.objectId).second) << "created twice: " << e.key;
            }
        }
        std::vector<PosUpdate> positions;
        for (const auto& [key, object] : created)
        {
            gf_setNavLights(object, pass);
            positions.push_back(PosUpdate{50.04, 8.56 + 0.00001 * pass, 0, 0, 0, 364.0, 0, 0, object});
        }
        {
            std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
            if (lock.owns_lock())
            {
                g_posUpdates[0]->assign(positions.begin(), positions.end());
                std::swap(g_posUpdates[0], g_posUpdates[1]);
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    client.stop();

    EXPECT_EQ(created.size(), kAircraft);
    std::set<DWORD> seen;
    for (const sim::CallRecord& c : live.calls())
    {
        if (c.client != "Vora" || c.fn != "SimConnect_TransmitClientEvent" ||
            c.args.at("event_id") != kNavLightsSet)
        {
            continue;
        }
        const DWORD object = c.args.at("object_id").get<DWORD>();
        const DWORD data = c.args.at("data").get<DWORD>();
        EXPECT_LT(lastData[object], data) << "sent out of order";
        lastData[object] = data;
        seen.insert(object);
    }
    EXPECT_EQ(seen.size(), kAircraft);
    EXPECT_EQ(g_simConnectError.load(), 0);
}

} // namespace
} // namespace ovr::test
