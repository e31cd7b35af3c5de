// The motion model on one aircraft record, pass by pass on g_clock: segment
// timing, configuration by height, curves, extrapolation and waits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <random>
#include <stdexcept>
#include <vector>

#include "airports/park_airport.h"
#include "core/geometry.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/live_life.h"
#include "traffic/motion_common.h"
#include "traffic/motion_model.h"
#include "motion_fixture.h"

namespace ovr::test
{
namespace
{

TEST_F(MotionTest, ASegmentWhoseNextSampleIsDueLastsTwentyFiveTicks)
{
    LiveAc ac = airliner();
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.altitude = 10000.0;
    ac.aboveGround = 10000.0;
    ac.extrapolationCount = 1; // no slack limits: the flown time stands
    // 0.0001 degrees at 300 kt take 4 ticks: the segment lasts the shortest 25.
    ac.samples = {sampleAt(52.0, 4.0, 10000.0, 300.0, g_clock.load() - 50),
                  sampleAt(52.0, 4.0001, 10000.0, 300.0, g_clock.load() - 10)};
    nextPosMain(ac);
    ASSERT_EQ(ac.samples.size(), 1u);
    EXPECT_NEAR(ac.longitudeStep * 25.0, 0.0001, 1e-12);
    EXPECT_EQ(ac.samples.front().playMoment, g_clock.load() + 25);
}

TEST_F(MotionTest, TheSegmentStepsReachTheNextSampleAtItsPlayTime)
{
    LiveAc ac = airliner();
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.altitude = 10000.0;
    ac.aboveGround = 10000.0;
    const double d = gf_distanceNm({52.0, 4.0}, {52.0, 4.1});
    const std::int64_t ticks = std::llround(d * 360000.0 / 300.0);
    ac.samples = {sampleAt(52.0, 4.0, 10000.0, 300.0, g_clock.load()),
                  sampleAt(52.0, 4.1, 10000.0, 300.0, g_clock.load() + ticks)};
    nextPosMain(ac);
    for (std::int64_t i = 0; i < ticks; ++i)
    {
        lf_curveStep(ac);
    }
    EXPECT_NEAR(ac.cur.longitude, 4.1, 1e-6);
    EXPECT_NEAR(ac.cur.latitude, 52.0, 1e-9);
}

struct ConfigCase
{
    const char* name;
    double aboveGround;
    double verticalRate;
    std::uint32_t flapsBefore;
    std::uint32_t gearEvent;   // data of GEAR_SET expected, 2 = none
    std::uint32_t flapsExpect; // index after the step
};

class AirConfigTest : public MotionTest, public ::testing::WithParamInterface<ConfigCase>
{
};

TEST_P(AirConfigTest, AnAirlinerConfiguresByHeight)
{
    const ConfigCase& c = GetParam();
    LiveAc ac = airliner();
    ac.aboveGround = c.aboveGround;
    ac.cur.altitude = c.aboveGround; // level with its sample where the rate is 0
    ac.lastFlapsIndex = c.flapsBefore;
    ac.motion.gearDown = 1;
    ac.lastThrottleIndex = 3;
    ac.samples = {sampleAt(52.0, 4.0, c.aboveGround, 250.0, g_clock.load(), c.verticalRate)};
    lf_airConfig(ac);
    const std::vector<ClientEventCmd> events = takeEvents();
    EXPECT_EQ(ac.lastFlapsIndex, c.flapsExpect);
    if (c.gearEvent != 2)
    {
        EXPECT_TRUE(sent(events, kGearSet, c.gearEvent));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AirConfigTest,
                         ::testing::Values(ConfigCase{"climbing_through_2400", 2450.0, 1500.0, 1, 0, 0},
                                           ConfigCase{"descending_below_2000_flaps1", 1900.0, -800.0, 1, 2, 2},
                                           ConfigCase{"descending_above_2000_flaps1", 2100.0, -800.0, 1, 2, 1},
                                           ConfigCase{"level_at_2200_flaps0", 2200.0, 0.0, 0, 2, 1},
                                           ConfigCase{"cruise", 30000.0, 0.0, 0, 0, 0}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(MotionTest, AStreamThatEndsInTheAirIsExtendedEightTimesThenTheAircraftGoes)
{
    LiveAc ac = airliner();
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.heading = kPi / 2.0;
    ac.samples = {sampleAt(52.0, 4.0, 10000.0, 300.0, g_clock.load())};
    std::vector<double> speeds;
    int added = 0;
    while (lf_extendStream(ac))
    {
        ++added;
        speeds.push_back(ac.samples.back().groundSpeed);
        EXPECT_EQ(ac.samples.back().playMoment - ac.samples[ac.samples.size() - 2].playMoment, 800);
        ac.samples.pop_front();
        ASSERT_LT(added, 20);
    }
    EXPECT_EQ(added, 8);
    EXPECT_NEAR(speeds.front(), 285.0, 1e-9);
    EXPECT_NEAR(speeds.back(), 300.0 * std::pow(0.95, 8), 1e-6);
    EXPECT_GT(ac.samples.back().longitude, 4.0); // along the heading, east
}

TEST_F(MotionTest, ATaxiingAircraftWaitsThreeSecondsAtATimeUpToTheHoldingLimit)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 10.0, g_clock.load())};
    const std::int64_t limitTicks = static_cast<std::int64_t>(MAX_HOLDING_MINUTES.current.load()) * 6000;
    std::int64_t waited = 0;
    while (lf_extendStream(ac))
    {
        const PositionSample& w = ac.samples.back();
        EXPECT_EQ(w.playMoment - ac.samples.front().playMoment, 300);
        EXPECT_EQ(w.onGround, 1);
        EXPECT_EQ(w.groundSpeed, 0.0);
        ac.samples.pop_front();
        g_clock.fetch_add(300);
        waited += 300;
        ASSERT_LE(waited, limitTicks + 6000 + 300);
    }
    EXPECT_GE(waited, limitTicks);
}

TEST_F(MotionTest, AGroundTurnFollowsTheCurveAcrossNorth)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.heading = 330.0 * kDegToRad;
    // North-west, then north-east: the path turns right through north.
    const LatLon corner = gf_destinationPoint({52.0, 4.0}, 330.0 * kDegToRad, 600.0);
    const LatLon end = gf_destinationPoint(corner, 30.0 * kDegToRad, 600.0);
    const std::int64_t now = g_clock.load();
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 15.0, now), sampleAt(corner.lat, corner.lon, 0.0, 15.0, now + 500),
                  sampleAt(end.lat, end.lon, 0.0, 15.0, now + 1000)};
    nextPosMain(ac);
    ASSERT_FALSE(std::isnan(ac.motion.curve.controlEast));
    ASSERT_EQ(ac.samples.size(), 1u); // the control sample is taken out
    const std::int64_t until = ac.samples.front().playMoment;
    double previous = ac.cur.heading;
    double widest = 0.0;
    bool crossed = false;
    LatLon last{ac.cur.latitude, ac.cur.longitude};
    while (g_clock.load() < until)
    {
        lf_curveStep(ac);
        g_clock.fetch_add(1);
        const double change = std::fabs(std::remainder(ac.cur.heading - previous, 2.0 * kPi));
        widest = std::max(widest, change);
        crossed = crossed || (previous > kPi && ac.cur.heading < kPi);
        previous = ac.cur.heading;
        ASSERT_GE(ac.cur.heading, 0.0);
        ASSERT_LT(ac.cur.heading, 2.0 * kPi);
        const LatLon here{ac.cur.latitude, ac.cur.longitude};
        EXPECT_LT(gf_distanceNm(last, here) * 1852.0, 5.0);
        last = here;
    }
    EXPECT_TRUE(crossed);
    EXPECT_LE(widest, ac.turnStep + 1e-12);
    EXPECT_LT(gf_distanceNm(last, end) * 1852.0, 2.0);
    EXPECT_NEAR(std::remainder(ac.cur.heading - 30.0 * kDegToRad, 2.0 * kPi), 0.0, 5.0 * kDegToRad);
}

TEST_F(MotionTest, AGroundSegmentTooLongForTicksIsANarrowingError)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 1e-9, g_clock.load()), sampleAt(10.0, 100.0, 0.0, 1e-9, g_clock.load())};
    ac.samples[0].trueAirspeed = 1e-9;
    ac.samples[1].trueAirspeed = 1e-9;
    EXPECT_THROW(lf_groundTiming(ac), std::overflow_error);
}

TEST_F(MotionTest, TheRollRotatesAtRotationSpeedAndClimbsOut)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.aboveGround = 10.0;
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.altitude = 10.0;
    ac.cur.pitch = 0.6 * kDegToRad;
    ac.cur.heading = kPi / 2.0;
    lf_markTakeOff(ac);
    EXPECT_EQ(ac.takeOffMark, 1);
    const std::int64_t now = g_clock.load();
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 120.0, now), sampleAt(52.0, 4.02, 0.0, 150.0, now + 600),
                  sampleAt(52.0, 4.06, 1500.0, 160.0, now + 2000, 2000.0)};
    nextPosMain(ac);
    EXPECT_EQ(ac.situation, kSituationTakeOff);
    EXPECT_EQ(ac.groundMode, 0);
    takeEvents();
    std::int64_t gearUpAt = -1;
    std::int64_t flyingAt = -1;
    for (std::int64_t t = 1; t < 20000 && flyingAt < 0; ++t)
    {
        g_clock.fetch_add(1);
        if (ac.samples.size() >= 1 && g_clock.load() >= ac.samples.front().playMoment)
        {
            nextPosMain(ac);
        }
        lf_curveStep(ac);
        for (const ClientEventCmd& e : takeEvents())
        {
            if (e.eventId == kGearSet && e.data == 0 && gearUpAt < 0)
            {
                gearUpAt = t;
            }
            if (e.eventId == kThrottleSet && e.data == 11468)
            {
                flyingAt = t;
            }
        }
        ASSERT_GE(ac.cur.pitch, -kPi / 2.0);
    }
    EXPECT_NEAR(static_cast<double>(gearUpAt), 300.0, 2.0);
    ASSERT_GT(flyingAt, 0);
    EXPECT_EQ(ac.situation, kSituationFlying);
    EXPECT_GE(ac.aboveGround, 800.0);
    EXPECT_NEAR(ac.cur.pitch, ac.climbOutPitch, 1e-9);
}

TEST_F(MotionTest, TheFlareGoesThroughFourStagesAndNeverBelowTheWheels)
{
    LiveAc ac = airliner();
    ac.landingMark = 1;
    ac.aboveGround = 60.0;
    ac.cur.altitude = 60.0;
    ac.verticalStep = -0.1;
    ac.motion.targetAltitude = -1e9;
    std::vector<std::uint8_t> stages;
    for (int t = 0; t < 5000; ++t)
    {
        lf_curveStep(ac);
        if (stages.empty() || stages.back() != ac.motion.landingStage)
        {
            stages.push_back(ac.motion.landingStage);
        }
        ASSERT_GE(ac.cur.altitude, ac.staticCgHeight - 0.5);
    }
    EXPECT_EQ(stages, (std::vector<std::uint8_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(sent(takeEvents(), kThrottleSet, 0));
    EXPECT_NEAR(ac.cur.pitch, -4.0 * kDegToRad, 1e-6);
}

TEST_F(MotionTest, TouchdownStartsTheRollOutAsTaxi)
{
    LiveAc ac = airliner();
    ac.objectId = 0; // no simulator data call without an object
    ac.landingMark = 1;
    ac.cur.pitch = -4.0 * kDegToRad;
    gf_onTouchdown(ac);
    EXPECT_EQ(ac.situation, kSituationTaxi);
    EXPECT_EQ(ac.previousSituation, kSituationFlying);
    EXPECT_EQ(ac.groundMode, 1);
    EXPECT_EQ(ac.touchdownMark, 1);
    for (std::uint32_t i = 0; i < ac.noseLoweringTicks + 5; ++i)
    {
        lf_curveStep(ac);
    }
    EXPECT_NEAR(ac.cur.pitch, ac.staticPitch, 1e-9);
}

TEST_F(MotionTest, TheInitialPitchOfADescentIsHalfTheRateAtMostFifteenHundred)
{
    for (const auto& [rate, pitchDeg] : std::vector<std::pair<double, double>>{
             {-1000.0, -3.0 + 500.0 / 600.0 * 2.2}, {-4000.0, -3.0 + 1500.0 / 600.0 * 2.2}, {3000.0, -3.0 - 4 * 2.2}})
    {
        LiveAc ac = airliner();
        ac.samples = {sampleAt(52.0, 4.0, 5000.0, 250.0, g_clock.load(), rate),
                      sampleAt(52.0, 4.1, 5000.0, 250.0, g_clock.load() + 1000, rate)};
        lf_initialAttitude(ac);
        EXPECT_NEAR(ac.cur.pitch, pitchDeg * kDegToRad, 1e-9) << rate;
    }
}

TEST_F(MotionTest, ADescentNearTheParkAirportConfiguresForLandingAndFlares)
{
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode("EHAM");
        g_parkAirport.latitude = 52.0;
        g_parkAirport.longitude = 4.1;
    }
    LiveAc ac = airliner();
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.altitude = 1500.0;
    ac.aboveGround = 1500.0;
    ac.cur.heading = kPi / 2.0;
    ac.lastFlapsIndex = 2;
    const std::int64_t now = g_clock.load();
    // 3 NM at 150 kt, 1500 ft down: about 1250 ft/min.
    for (int k = 0; k <= 12; ++k)
    {
        const double alt = std::max(0.0, 1500.0 - 125.0 * k);
        ac.samples.push_back(sampleAt(52.0, 4.0 + 0.004 * k, alt, 150.0, now + 600 * k, -1250.0));
    }
    std::vector<ClientEventCmd> events;
    std::uint8_t stage = 0;
    for (int t = 0; t < 9000 && ac.groundMode == 0; ++t)
    {
        if (!ac.samples.empty() && g_clock.load() >= ac.samples.front().playMoment)
        {
            nextPosMain(ac);
        }
        lf_curveStep(ac);
        g_clock.fetch_add(1);
        ASSERT_GE(ac.cur.altitude, ac.staticCgHeight - 0.5);
        stage = std::max(stage, ac.motion.landingStage);
        if (ac.aboveGround <= ac.staticCgHeight + 0.01 && ac.motion.landingStage == 4)
        {
            gf_onTouchdown(ac); // the simulator reports the ground
        }
        for (const ClientEventCmd& e : takeEvents())
        {
            events.push_back(e);
        }
    }
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
    EXPECT_TRUE(sent(events, kFlapsSet, 16383));
    EXPECT_TRUE(sent(events, kGearSet, 1));
    EXPECT_TRUE(sent(events, kThrottleSet, 4914));
    EXPECT_TRUE(sent(events, kThrottleSet, 0));
    EXPECT_TRUE(sent(events, kSpoilersSet, 16383));
    EXPECT_EQ(stage, 4);
    EXPECT_EQ(ac.groundMode, 1);
    EXPECT_EQ(ac.situation, kSituationTaxi);
}

// The heading arithmetic skips the library call where it would change
// nothing: bit for bit what fmod and remainder give, at the edges too.
TEST(HeadingArithmetic, EqualsTheLibraryCallsBitForBit)
{
    const auto wrapped = [](double heading)
    {
        double h = std::fmod(heading, kTwoPi);
        if (h < 0.0)
            h += kTwoPi;
        if (h >= kTwoPi - 1e-12)
            h = 0.0;
        return h;
    };
    const double half = kTwoPi * 0.5;
    const double top = kTwoPi - 1e-12;
    std::vector<double> values{0.0,
                               -0.0,
                               half,
                               -half,
                               std::nextafter(half, 0.0),
                               std::nextafter(half, 4.0),
                               std::nextafter(-half, 0.0),
                               std::nextafter(-half, -4.0),
                               top,
                               std::nextafter(top, 0.0),
                               kTwoPi,
                               std::nextafter(kTwoPi, 0.0),
                               -kTwoPi,
                               3.0 * kTwoPi + 0.5,
                               -1e-300,
                               std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    std::mt19937 engine(5);
    std::uniform_real_distribution<double> wide(-3.0 * kTwoPi, 3.0 * kTwoPi);
    for (int i = 0; i < 20000; ++i)
        values.push_back(wide(engine));
    for (const double v : values)
    {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(lf_wrap(v)), std::bit_cast<std::uint64_t>(wrapped(v))) << v;
        for (const double from : {0.0, 1.0, -2.5, 6.0})
        {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(lf_turn(from, v + from)),
                      std::bit_cast<std::uint64_t>(std::remainder((v + from) - from, kTwoPi)))
                << from << " " << v;
        }
    }
}

} // namespace
} // namespace ovr::test
