// The service client's meeting points between threads, for ThreadSanitizer:
// overlapping parked-traffic requests against a running Traffic Reader, the
// hand-over of live batches to a consumer standing in for the main loop, and
// the collected identities taken while the decoder fills them.
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "liveries/model_database.h"
#include "service/parked_traffic.h"
#include "service/service_login.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "session_fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <set>
#include <thread>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

void expectPrepared(const std::vector<ParkedTrafficRecord>& records)
{
    std::set<std::string> stands;
    std::int32_t lastAge = 0;
    for (const ParkedTrafficRecord& r : records)
    {
        EXPECT_GE(r.slot, lastAge);
        EXPECT_LE(r.slot, 47);
        lastAge = r.slot;
        EXPECT_TRUE(stands.insert(r.standName).second) << r.standName;
    }
}

TEST_F(SessionTest, OverlappingParkedRequestsNeverMixTheirAnswers)
{
    knowScenarioTypes();
    setParkAirport(frankfurt());
    gf_authenticater();
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); }));

    std::atomic<int> answered{0};
    const auto caller = [&]
    {
        for (int i = 0; i < 3; ++i)
        {
            if (gf_getParkedTraffic())
            {
                ++answered;
                std::vector<ParkedTrafficRecord> records;
                {
                    const std::scoped_lock lock(g_trafficReader.parkedMutex);
                    records = g_trafficReader.parkedRecords;
                }
                EXPECT_FALSE(records.empty());
                expectPrepared(records);
            }
        }
    };
    std::thread a(caller);
    std::thread b(caller);
    a.join();
    b.join();
    EXPECT_GE(answered.load(), 3);
}

nlohmann::json liveArray(std::uint32_t hexId, double dataTime)
{
    nlohmann::json a = nlohmann::json::array();
    for (int i = 0; i < 48; ++i)
    {
        a.push_back(nullptr);
    }
    a[0] = fmt::format("{:06x}", hexId);
    a[1] = 50.1;
    a[2] = 8.57;
    a[4] = 5000;
    a[5] = 250.0;
    a[8] = "A320";
    a[10] = dataTime;
    a[13] = fmt::format("DLH{}", hexId % 1000);
    return a;
}

TEST(HandOverConcurrencyTest, ConsumerTakesTwoPerPassWhileBatchesArrive)
{
    LogCapture log;
    resetServiceState();
    g_trafficReader.refPos = LatLon{50.0, 8.57};
    {
        const std::scoped_lock lock(g_trafficMutex);
        g_running = 1;
    }
    std::atomic<bool> done{false};
    std::atomic<int> consumed{0};
    std::thread mainLoop(
        [&]
        {
            while (!done.load())
            {
                {
                    const std::scoped_lock lock(g_trafficMutex);
                    for (int i = 0; i < 2 && !g_trafficHandover.empty(); ++i)
                    {
                        EXPECT_GT(g_trafficHandover.back().hexId, 10000u);
                        g_trafficHandover.pop_back();
                        ++consumed;
                    }
                }
                g_clock.fetch_add(1);
                std::this_thread::sleep_for(1ms);
            }
        });
    std::thread collector(
        [&]
        {
            while (!done.load())
            {
                g_trafficReader.collecting.store(true);
                std::this_thread::sleep_for(2ms);
                const CollectedIdentities taken = g_trafficReader.takeCollected();
                for (std::uint32_t id : taken.ids)
                {
                    EXPECT_GT(id, 10000u);
                }
            }
        });
    int handedBatches = 0;
    for (int batch = 0; batch < 200; ++batch)
    {
        nlohmann::json data = nlohmann::json::object();
        for (std::uint32_t k = 0; k < 8; ++k)
        {
            data[std::to_string(k)] = liveArray(0x3c0000u + k, 1750000000.0 + batch + k * 0.1);
        }
        g_trafficReader.decodeAircraft(g_trafficReader.replies.liveContainer(data.dump()));
        ASSERT_EQ(g_trafficReader.liveRecords.size(), 8u);
        g_trafficReader.handOver(kLivePlayOffset);
        ++handedBatches;
        std::this_thread::sleep_for(1ms);
    }
    done.store(true);
    mainLoop.join();
    collector.join();
    EXPECT_GT(consumed.load(), 0);
    std::size_t waiting = 0;
    {
        const std::scoped_lock lock(g_trafficMutex);
        waiting = g_trafficHandover.size();
    }
    EXPECT_EQ((static_cast<std::size_t>(consumed.load()) + waiting) % 8, 0u)
        << "batches are dropped whole, never merged";
    resetServiceState();
}

} // namespace
} // namespace ovr::test
