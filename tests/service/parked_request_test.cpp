// The parked-traffic request that the main loop arms and later collects
// without waiting: its answer, its failures and the end of asking after a
// refusal. The reader's part is played by the test on the same thread.
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/time.h"
#include "core/user_on_ground.h"
#include "service/parked_traffic.h"
#include "service/traffic_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;
using nlohmann::json;

class ManualClock : public LoopClock
{
  public:
    TimePoint now() override { return m_now; }
    void sleepUntil(TimePoint deadline) override { m_now = std::max(m_now, deadline); }
    void advance(std::chrono::milliseconds d) { m_now += d; }

  private:
    TimePoint m_now{std::chrono::hours(1000)};
};

std::string parkedReply(int status)
{
    json reply{{"status", status}, {"rrl", 2000}};
    if (status == 200)
    {
        reply["data"] = json{
            {"3c6444", json::array({50.0501, 8.5712, "A11", "A320", "D-AIZA", gf_now(), "DLH4AB"})},
            {"3c6445", json::array({50.0502, 8.5713, "A12", "A320", "D-AIZB", gf_now(), "DLH5CD"})}};
    }
    return reply.dump();
}

class ParkedRequestTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        setKnownModels({"A320"});
        setUserPosition(50.1, 8.6, 3000.0);
        setParkAirport(frankfurt());
        gf_setLoopClock(&m_clock);
    }
    void TearDown() override
    {
        gf_setLoopClock(nullptr);
        resetServiceState();
    }
    // The reader takes the armed request and answers it with this reply.
    void answer(const std::string& reply)
    {
        ASSERT_TRUE(g_trafficReader.parkedRequest.exchange(false));
        std::uint64_t sequence = 0;
        const std::string body = g_trafficReader.parkedRequestBody(sequence);
        EXPECT_NE(body.find("querytype=parkedtraffic"), std::string::npos) << body;
        g_trafficReader.takeParkedReply(reply, sequence);
    }
    ManualClock m_clock;
    LogCapture m_log;
};

TEST_F(ParkedRequestTest, IsPendingUntilTheReaderAnswersThenHoldsThePreparedRecords)
{
    const std::uint64_t sequence = gf_armParkedTraffic();
    ASSERT_NE(sequence, 0u);
    EXPECT_EQ(gf_takeParkedTraffic(sequence), ParkedTake::pending);
    answer(parkedReply(200));
    EXPECT_EQ(gf_takeParkedTraffic(sequence), ParkedTake::answered);
    ASSERT_EQ(g_trafficReader.parkedRecords.size(), 2u);
    for (const ParkedTrafficRecord& r : g_trafficReader.parkedRecords)
    {
        EXPECT_EQ(r.slot, 0) << r.callsign; // seen this half hour: aged 0
    }
}

TEST_F(ParkedRequestTest, AnAnswerToAnEarlierRequestIsNotTaken)
{
    const std::uint64_t first = gf_armParkedTraffic();
    std::uint64_t answeredSequence = 0;
    ASSERT_TRUE(g_trafficReader.parkedRequest.exchange(false));
    g_trafficReader.parkedRequestBody(answeredSequence);
    const std::uint64_t second = gf_armParkedTraffic();
    g_trafficReader.takeParkedReply(parkedReply(200), answeredSequence);
    EXPECT_EQ(answeredSequence, first);
    EXPECT_EQ(gf_takeParkedTraffic(second), ParkedTake::pending);
    EXPECT_TRUE(g_trafficReader.parkedRecords.empty());
    answer(parkedReply(200));
    EXPECT_EQ(gf_takeParkedTraffic(second), ParkedTake::answered);
    EXPECT_EQ(gf_takeParkedTraffic(first), ParkedTake::none);
    EXPECT_TRUE(m_log.contains("ParkedTraffic request was taken over by a later one")) << m_log.text();
}

TEST_F(ParkedRequestTest, ARequestNeverAnsweredEndsAfterItsDeadline)
{
    const std::uint64_t sequence = gf_armParkedTraffic();
    m_clock.advance(45s);
    EXPECT_EQ(gf_takeParkedTraffic(sequence), ParkedTake::pending);
    m_clock.advance(1s);
    EXPECT_EQ(gf_takeParkedTraffic(sequence), ParkedTake::none);
    EXPECT_TRUE(m_log.contains("ParkedTraffic receiving timed out after 45 seconds")) << m_log.text();
}

struct FailureCase
{
    const char* name;
    int status;
    bool throws;
    bool refusesTheSession;
};

const FailureCase kFailures[] = {
    {"parameter_fault_400_throws", 400, true, false},
    {"no_parked_traffic_403_throws_and_ends_asking", 403, true, true},
    {"reauthentication_401_is_none", 401, false, false},
    {"other_status_is_none", 500, false, false},
    {"too_early_406_is_an_empty_answer", 406, false, false},
};

class ParkedRequestFailureTest : public ParkedRequestTest, public testing::WithParamInterface<FailureCase>
{
};

TEST_P(ParkedRequestFailureTest, IsThrownOrTakenAsNoRecords)
{
    const FailureCase& c = GetParam();
    const std::uint64_t sequence = gf_armParkedTraffic();
    answer(parkedReply(c.status));
    if (c.throws)
    {
        EXPECT_THROW(gf_takeParkedTraffic(sequence), std::runtime_error);
    }
    else
    {
        const ParkedTake expected = c.status == 406 ? ParkedTake::answered : ParkedTake::none;
        EXPECT_EQ(gf_takeParkedTraffic(sequence), expected);
        EXPECT_TRUE(g_trafficReader.parkedRecords.empty());
    }
    const std::uint64_t next = gf_armParkedTraffic();
    if (c.refusesTheSession)
    {
        EXPECT_EQ(next, 0u);
        EXPECT_FALSE(g_trafficReader.parkedRequest.load());
        EXPECT_EQ(gf_takeParkedTraffic(next), ParkedTake::none);
        EXPECT_FALSE(gf_getParkedTraffic());
        // A new session asks again.
        resetServiceState();
        setParkAirport(frankfurt());
        EXPECT_NE(gf_armParkedTraffic(), 0u);
    }
    else
    {
        EXPECT_NE(next, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParkedRequestFailureTest, testing::ValuesIn(kFailures), caseName<FailureCase>);

} // namespace
} // namespace ovr::test
