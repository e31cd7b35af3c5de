// The live query box around the user and the reader indicators.
#include "core/parameters.h"
#include "service/rt_readers.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>

namespace ovr::test
{
namespace
{

class TrafficBoxTest : public testing::Test
{
  protected:
    void SetUp() override { resetServiceState(); }
    void TearDown() override
    {
        setUserPosition(0.0, 0.0, 0.0);
        resetServiceState();
    }
    LogCapture m_log;
};

TEST_F(TrafficBoxTest, FortyMilesNorthAndSouthWhateverTheLatitude)
{
    for (const double lat : {0.0, 50.0, -70.0})
    {
        resetServiceState();
        g_rangeNm.store(40.0);
        setUserPosition(lat, 8.57, 0.0);
        gf_updateTrafficBox();
        const QueryBox box = g_trafficReader.liveBox.load();
        EXPECT_NEAR(box.top - lat, 0.66619, 1e-5) << lat;
        EXPECT_NEAR(lat - box.bottom, 0.66619, 1e-5) << lat;
        EXPECT_LT(box.left, 8.57);
        EXPECT_GT(box.right, 8.57);
        EXPECT_NEAR(8.57 - box.left, box.right - 8.57, 1e-9);
    }
}

TEST_F(TrafficBoxTest, KeptForASmallMoveRecomputedForANewRange)
{
    g_rangeNm.store(40.0);
    setUserPosition(50.0, 8.57, 0.0);
    gf_updateTrafficBox();
    const QueryBox first = g_trafficReader.liveBox.load();
    setUserPosition(50.0001, 8.5701, 0.0);
    gf_updateTrafficBox();
    EXPECT_EQ(g_trafficReader.liveBox.load(), first);
    g_rangeNm.store(20.0);
    gf_updateTrafficBox();
    EXPECT_NEAR(g_trafficReader.liveBox.load().top - 50.0001, 20.0 * 1.852 / 111.2, 1e-9);
}

TEST_F(TrafficBoxTest, UnknownPositionKeepsTheStartBox)
{
    setUserPosition(0.00005, -0.0001, 0.0);
    gf_updateTrafficBox();
    EXPECT_EQ(g_trafficReader.liveBox.load(), kStartQueryBox);
}

TEST_F(TrafficBoxTest, IndicatorsFollowWhatArrivesAndChangeOnlyOnce)
{
    g_trafficIndicator.store(kIndicatorWaiting);
    g_weatherIndicator.store(kIndicatorWaiting);
    gf_updateRtIndicators();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorWaiting); // not logged in: nothing changes

    g_authenticated.store(1);
    g_weatherReader.weatherOk.store(true);
    g_trafficReader.liveCount.store(3);
    gf_updateRtIndicators();
    EXPECT_EQ(g_weatherIndicator.load(), kIndicatorWaiting); // already shown as on since the reset
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorWaiting);

    g_trafficReader.liveCount.store(0);
    g_weatherReader.weatherOk.store(false);
    gf_updateRtIndicators();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorWaiting);
    EXPECT_EQ(g_weatherIndicator.load(), kIndicatorWaiting);
    g_trafficIndicator.store(kIndicatorStopped);
    gf_updateRtIndicators();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorStopped); // repeated "nothing" changes nothing

    g_trafficReader.liveCount.store(5);
    g_weatherReader.weatherOk.store(true);
    gf_updateRtIndicators();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorReceiving);
    EXPECT_EQ(g_weatherIndicator.load(), kIndicatorReceiving);
}

} // namespace
} // namespace ovr::test
