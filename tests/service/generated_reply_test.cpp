// The decoders over what the fake service's generator sends, defective
// entries included: every well-formed aircraft in range is decoded, every
// defective one is dropped or tolerated as a real feed needs, and none stops
// the rest of the reply.
#include "core/geometry.h"
#include "core/parameters.h"
#include "fake-rt/scenario.h"
#include "fake-rt/traffic_generator.h"
#include "service/traffic_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>

namespace ovr::test
{
namespace
{

constexpr double kReplyNow = 1750000000.25;

class GeneratedReplyTest : public testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        setParkAirport(frankfurt());
    }
    void TearDown() override { resetServiceState(); }

    LogCapture m_log;
    fakert::Scenario m_scenario =
        fakert::loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", kReplyNow);
};

TEST_P(GeneratedReplyTest, DecodedCountIsTheGeneratorsCountOfValidAircraftInRange)
{
    const int badEntries = GetParam();
    const fakert::TrafficGenerator generator(m_scenario);
    const fakert::Box box{50.70, 49.37, 7.53, 9.61};
    const LatLon ref{50.0379, 8.5622};
    g_rangeNm.store(25.0);
    TrafficReader reader;
    reader.refPos = ref;
    reader.parkElevation = 364.0;

    for (const double t : {kReplyNow, kReplyNow + 600.0, kReplyNow + 1800.0})
    {
        const std::vector<fakert::LiveAircraft> sent = generator.liveTraffic(t, box, badEntries);
        std::size_t expected = 0;
        for (const fakert::LiveAircraft& a : sent)
        {
            if (a.wellFormed && gf_distanceNm(ref, LatLon{a.pos.lat, a.pos.lon}) <= 25.0)
            {
                ++expected;
            }
        }
        nlohmann::json data = fakert::TrafficGenerator::toData(sent);
        reader.liveRecords.clear();
        reader.decodeAircraft(reader.replies.liveContainer(data.dump()));
        EXPECT_EQ(reader.liveRecords.size(), expected)
            << "at " << t << " with " << badEntries << " bad entries";
        EXPECT_GT(expected, 5u);
    }
}

INSTANTIATE_TEST_SUITE_P(BadEntries, GeneratedReplyTest, testing::Values(0, 7, 20, 40));

} // namespace
} // namespace ovr::test
