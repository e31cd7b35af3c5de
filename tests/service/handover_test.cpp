// The play moments of received batches and their way to the main loop.
#include "core/loop_clock.h"
#include "service/traffic_handover.h"
#include "service/traffic_handover_detail.h"
#include "service/traffic_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace ovr::test
{
namespace
{

std::vector<TrafficRecord> batchAt(std::initializer_list<double> dataTimes)
{
    std::vector<TrafficRecord> batch;
    std::uint32_t id = 20000;
    for (double t : dataTimes)
    {
        TrafficRecord r;
        r.dataTime = t;
        r.hexId = id++;
        batch.push_back(r);
    }
    return batch;
}

std::vector<std::int64_t> momentsOf(const std::vector<TrafficRecord>& batch)
{
    std::vector<std::int64_t> moments;
    for (const TrafficRecord& r : batch)
    {
        moments.push_back(r.sample.playMoment);
    }
    return moments;
}

struct MomentCase
{
    const char* name;
    std::vector<TrafficRecord> batch;
    std::int32_t offset;
    std::int64_t clock;
    std::vector<std::int64_t> moments;
};

TEST(PlayMomentTest, SpreadAroundTheMedian)
{
    const MomentCase cases[] = {
        {"one_record_plays_at_base", batchAt({1750000000.7}), 30, 5000, {8000}},
        {"even_count_uses_the_mean_of_the_middle_two",
         batchAt({100, 101, 103, 104}),
         30,
         5000,
         {7800, 7900, 8100, 8200}},
        {"order_is_kept", batchAt({104, 100, 103, 101}), 30, 5000, {8200, 7800, 8100, 7900}},
        {"quarter_seconds_round_away_from_zero", batchAt({99.75, 100, 100.25}), 0, 0, {-30, 0, 30}},
        {"below_a_quarter_rounds_down", batchAt({99.76, 100, 100.24}), 6, 10, {590, 610, 630}},
        {"far_times_fit_in_64_bits", batchAt({0, 1.0e12, 2.0e12}), 24, 0, {2400 - 100'000'000'000'000LL, 2400, 2400 + 100'000'000'000'000LL}},
        {"nonsense_times_are_bounded", batchAt({0, 1.0e16, 2.0e16}), 24, 0, {2400 - 10'000'000'000'000'000LL, 2400, 2400 + 10'000'000'000'000'000LL}},
        {"a_clock_beyond_32_bits", batchAt({100}), 30, 5'000'000'000LL, {5'000'003'000LL}},
    };
    for (MomentCase c : cases)
    {
        detail::stampPlayMoments(c.batch, c.offset, c.clock);
        EXPECT_EQ(momentsOf(c.batch), c.moments) << c.name;
    }
}

std::vector<TrafficRecord> g_handedOver;

class HandOverTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        g_handedOver.clear();
        gf_setReceivedTaker([](const TrafficRecord& r) { g_handedOver.push_back(r); });
        g_clock.store(5000);
    }
    void TearDown() override
    {
        gf_setReceivedTaker(nullptr);
        resetServiceState();
    }
    static void setRunning(bool running)
    {
        const std::scoped_lock lock(g_trafficMutex);
        g_running = running ? 1 : 0;
    }
    static std::vector<TrafficRecord> waiting()
    {
        const std::scoped_lock lock(g_trafficMutex);
        return g_trafficHandover;
    }
    LogCapture m_log;
};

TEST_F(HandOverTest, LiveBatchMovesInWhenTheVectorIsEmptyAndTheSessionRuns)
{
    setRunning(true);
    std::vector<TrafficRecord> batch = batchAt({100, 101, 103, 104});
    gf_queueReceivedTraffic(batch, kLivePlayOffset);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(momentsOf(waiting()), (std::vector<std::int64_t>{7800, 7900, 8100, 8200}));
    EXPECT_TRUE(g_handedOver.empty());
}

TEST_F(HandOverTest, LiveBatchFindingTheVectorBusyIsDroppedWhole)
{
    setRunning(true);
    std::vector<TrafficRecord> first = batchAt({100, 101});
    gf_queueReceivedTraffic(first, kLivePlayOffset);
    std::vector<TrafficRecord> second = batchAt({200, 201, 202});
    gf_queueReceivedTraffic(second, kLivePlayOffset);
    EXPECT_TRUE(second.empty());
    const std::vector<TrafficRecord> left = waiting();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_DOUBLE_EQ(left[0].dataTime, 100.0);
}

TEST_F(HandOverTest, LiveBatchIsDroppedWhileTheSessionDoesNotRun)
{
    std::vector<TrafficRecord> batch = batchAt({100});
    gf_queueReceivedTraffic(batch, kLivePlayOffset);
    EXPECT_TRUE(batch.empty());
    EXPECT_TRUE(waiting().empty());
}

TEST_F(HandOverTest, BufferedBatchesGoStraightToTheTrafficLogicInOrder)
{
    std::vector<TrafficRecord> batch = batchAt({100, 102, 101});
    gf_queueReceivedTraffic(batch, 12);
    EXPECT_TRUE(batch.empty());
    EXPECT_TRUE(waiting().empty());
    ASSERT_EQ(g_handedOver.size(), 3u);
    EXPECT_EQ(momentsOf(g_handedOver), (std::vector<std::int64_t>{6100, 6300, 6200}));
}

TEST_F(HandOverTest, ReplyWithoutAircraftClearsTheDataTimeOnly)
{
    setRunning(true);
    TrafficReader reader;
    reader.dataTime.store(1750000000.0);
    reader.liveCount.store(7);
    reader.handOver(kLivePlayOffset);
    EXPECT_DOUBLE_EQ(reader.dataTime.load(), 0.0);
    EXPECT_EQ(reader.liveCount.load(), 0);
    EXPECT_TRUE(waiting().empty());

    reader.liveRecords = batchAt({100, 102});
    reader.handOver(kLivePlayOffset);
    EXPECT_EQ(reader.liveCount.load(), 2);
    EXPECT_EQ(waiting().size(), 2u);
    EXPECT_TRUE(reader.liveRecords.empty());
    EXPECT_GE(reader.liveRecords.capacity(), 384u);
}

} // namespace
} // namespace ovr::test
