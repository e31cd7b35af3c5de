// Motion a pilot would believe, aircraft by aircraft on g_clock with the
// simulator's ground reports fed back: landings that flare down to the
// runway, airborne aircraft that are not held on the ground, descents that
// lose the altitude the samples ask for, landings that never turn back,
// configuration and pitch in the air, timing from the samples' own times,
// turns rolled on the ground and the small ends of an aircraft's life.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "core/geometry.h"
#include "core/loop_clock.h"
#include "simlink/object_events.h"
#include "simlink/sim_ids.h"
#include "traffic/adding_stack.h"
#include "traffic/live_life.h"
#include "traffic/motion_model.h"
#include "traffic/object_activation.h"
#include "motion_fixture.h"

namespace ovr::test
{
namespace
{

constexpr double kGroundFt = 100.0;

// The park airport a few miles east of 52N 4E, at kGroundFt.
class FlightTest : public MotionTest
{
  protected:
    void SetUp() override
    {
        MotionTest::SetUp();
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode("EHAM");
        g_parkAirport.latitude = 52.0;
        g_parkAirport.longitude = 4.1;
        g_parkAirport.elevation = static_cast<float>(kGroundFt);
    }
    void TearDown() override
    {
        {
            const std::lock_guard lock(g_parkAirportsMutex);
            g_parkAirport = Airport{};
        }
        MotionTest::TearDown();
    }

    // One pass of the aircraft g_liveAircraft[0] over flat ground at
    // kGroundFt: its segment and tick, then the simulator's ground report.
    static void pass()
    {
        LiveAc& ac = g_liveAircraft.front();
        g_clock.fetch_add(1);
        if (!ac.samples.empty() && g_clock.load() >= ac.samples.front().playMoment)
        {
            nextPosMain(ac);
        }
        if (!ac.samples.empty() && ac.samples.front().onGround == 0)
        {
            lf_curveStep(ac);
        }
        const bool onGround = ac.cur.altitude <= kGroundFt + ac.staticCgHeight + 1.0;
        gf_pushSimEvent(SimEvent{ac.objectId, onGround ? 1u : 0u, 0, kSimEventGroundData, kGroundFt,
                                 ac.cur.altitude - kGroundFt});
        lf_onGroundSlots();
    }
};

LatLon ahead(double nm)
{
    return gf_destinationPoint({52.0, 4.0}, kPi / 2.0, nm * kFeetPerNm);
}

LiveAc flyingEast(double aboveGroundFt)
{
    LiveAc ac = airliner();
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.heading = kPi / 2.0;
    ac.cur.altitude = kGroundFt + aboveGroundFt;
    ac.aboveGround = aboveGroundFt;
    return ac;
}

TEST_F(FlightTest, GroundReportsDuringTheFlareNeitherDropTheAircraftNorHoldItsTouchdown)
{
    LiveAc ac = flyingEast(10.0 + 45.0); // the airliner's CG height and 45 ft
    ac.landingMark = 1;
    ac.lastFlapsIndex = 3;
    ac.motion.gearDown = 1;
    ac.cur.pitch = -2.0 * kDegToRad;
    const std::int64_t now = g_clock.load();
    const LatLon runway = ahead(0.8);
    ac.samples = {sampleAt(52.0, 4.0, ac.cur.altitude, 140.0, now),
                  sampleAt(runway.lat, runway.lon, 0.0, 140.0, now + 2000)};
    g_liveAircraft = {ac};
    double worstDrop = 0.0;
    std::int64_t down = -1;
    std::int64_t touchdown = -1;
    for (std::int64_t t = 0; t < 4000 && touchdown < 0; ++t)
    {
        const double before = g_liveAircraft.front().cur.altitude;
        pass();
        const LiveAc& a = g_liveAircraft.front();
        if (a.touchdownMark == 0)
        {
            worstDrop = std::max(worstDrop, before - a.cur.altitude);
        }
        if (down < 0 && a.cur.altitude <= kGroundFt + a.staticCgHeight + 1.0)
        {
            down = t;
        }
        if (a.touchdownMark != 0)
        {
            touchdown = t;
        }
    }
    EXPECT_LE(worstDrop, 0.5);
    ASSERT_GE(touchdown, 0);
    EXPECT_LE(touchdown - down, 1); // the report of the wheels is the touchdown
}

struct GroundReportCase
{
    const char* name;
    double startAboveFt;  // above the ground
    bool startHeld;       // in ground mode already
    double lastAboveFt;   // the newest sample, above the ground
    bool lastAirborne;
    bool heldAtEnd;
};

class GroundReportTest : public FlightTest, public ::testing::WithParamInterface<GroundReportCase>
{
};

TEST_P(GroundReportTest, AnAircraftIsHeldOnTheGroundOnlyWhenItsSamplesComeDown)
{
    const GroundReportCase& c = GetParam();
    {
        // Far from the park airport: no landing configuration.
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
    LiveAc ac = flyingEast(c.startAboveFt);
    ac.groundMode = c.startHeld ? 1 : 0;
    ac.aboveGround = c.startAboveFt; // the simulator's last report
    const std::int64_t now = g_clock.load();
    const LatLon mid = ahead(1.0);
    const LatLon end = ahead(2.0);
    const double midAbove = (c.startAboveFt + c.lastAboveFt) / 2.0;
    ac.samples = {sampleAt(52.0, 4.0, kGroundFt + c.startAboveFt, 160.0, now),
                  sampleAt(mid.lat, mid.lon, kGroundFt + midAbove, 160.0, now + 2250),
                  sampleAt(end.lat, end.lon, c.lastAirborne ? kGroundFt + c.lastAboveFt : 0.0, 160.0, now + 4500)};
    ac.samples[1].airborne = midAbove > 50.0 ? 1 : 0;
    ac.samples[2].airborne = c.lastAirborne ? 1 : 0;
    g_liveAircraft = {ac};
    for (int t = 0; t < 4500; ++t)
    {
        pass();
    }
    const LiveAc& a = g_liveAircraft.front();
    EXPECT_EQ(a.groundMode != 0, c.heldAtEnd);
    if (!c.heldAtEnd)
    {
        EXPECT_GT(a.cur.altitude, kGroundFt + 500.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroundReportTest,
    ::testing::Values(GroundReportCase{"lift_off_sample_below_the_field", -5.0, false, 2500.0, true, false},
                      GroundReportCase{"held_while_its_samples_climb_away", 10.0, true, 2500.0, true, false},
                      GroundReportCase{"landing_away_from_the_park_airport", 300.0, false, 0.0, false, true}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(FlightTest, AnApproachWithoutVerticalRateLosesItsAltitudeAndConfiguresForLanding)
{
    LiveAc ac = flyingEast(1500.0);
    ac.lastFlapsIndex = 2;
    ac.motion.gearDown = 0;
    const std::int64_t now = g_clock.load();
    // 150 kt, a sample every 20 s, 330 ft lower each: about 1000 ft/min.
    for (int k = 0; k <= 4; ++k)
    {
        const LatLon p = ahead(0.8333 * k);
        ac.samples.push_back(sampleAt(p.lat, p.lon, kGroundFt + 1500.0 - 330.0 * k, 150.0, now + 2000 * k, 0.0));
    }
    const std::vector<PositionSample> wanted(ac.samples.begin(), ac.samples.end());
    g_liveAircraft = {ac};
    std::vector<ClientEventCmd> events;
    double worst = 0.0;
    for (std::int64_t t = 1; t <= 8000; ++t)
    {
        pass();
        if (t % 2000 == 0)
        {
            const double want = wanted[static_cast<std::size_t>(t / 2000)].altitude;
            worst = std::max(worst, std::fabs(g_liveAircraft.front().cur.altitude - want));
        }
        for (const ClientEventCmd& e : takeEvents())
        {
            events.push_back(e);
        }
    }
    EXPECT_LE(worst, 60.0);
    EXPECT_TRUE(sent(events, kFlapsSet, 16383));
    EXPECT_TRUE(sent(events, kGearSet, 1));
    EXPECT_EQ(g_liveAircraft.front().landingMark, 1);
}

struct LandingSampleCase
{
    const char* name;
    std::vector<double> aheadNm;  // the samples in the stream, east of the aircraft
    double fromNewestDeg;         // bearing of the new sample from the newest one
    double distanceNm;            // and its distance from it
    double speedKt;
    bool taken;
    std::size_t size;             // samples afterwards
};

class LandingSampleTest : public FlightTest, public ::testing::WithParamInterface<LandingSampleCase>
{
};

TEST_P(LandingSampleTest, ALandingSampleThatTurnsBackIsRefusedOrRestartsTheStream)
{
    const LandingSampleCase& c = GetParam();
    LiveAc ac = flyingEast(1000.0);
    ac.landingMark = 1;
    const std::int64_t now = g_clock.load();
    for (std::size_t k = 0; k < c.aheadNm.size(); ++k)
    {
        const LatLon p = ahead(c.aheadNm[k]);
        ac.samples.push_back(sampleAt(p.lat, p.lon, ac.cur.altitude, 140.0, now + 500 * static_cast<std::int64_t>(k + 1)));
    }
    const LatLon from{ac.samples.back().latitude, ac.samples.back().longitude};
    const LatLon to = gf_destinationPoint(from, c.fromNewestDeg * kDegToRad, c.distanceNm * kFeetPerNm);
    PositionSample s = sampleAt(to.lat, to.lon, ac.cur.altitude, c.speedKt, now + 3000);
    const PositionSample frontBefore = ac.samples.front();
    decodeExisting(ac, s);
    ASSERT_EQ(ac.samples.size(), c.size);
    if (c.taken)
    {
        EXPECT_NEAR(ac.samples.back().latitude, to.lat, 1e-9);
        EXPECT_LE(ac.samples.back().groundSpeed, 140.0);
    }
    if (c.aheadNm.size() == 1 && c.taken)
    {
        // The stream starts again where the aircraft is, at once.
        EXPECT_NEAR(ac.samples.front().longitude, ac.cur.longitude, 1e-12);
        EXPECT_EQ(ac.samples.front().playMoment, g_clock.load() + 1);
    }
    else if (!c.taken)
    {
        EXPECT_NEAR(ac.samples.front().longitude, frontBefore.longitude, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LandingSampleTest,
    ::testing::Values(LandingSampleCase{"turned_120_is_refused", {1.0}, 210.0, 0.3, 140.0, false, 1},
                      LandingSampleCase{"turned_160_restarts_where_it_is", {1.0}, 250.0, 0.5, 140.0, true, 2},
                      LandingSampleCase{"on_course_faster_is_capped", {0.5, 1.0}, 90.0, 0.5, 180.0, true, 3},
                      LandingSampleCase{"behind_the_aircraft_is_refused", {0.5, 1.0}, 270.0, 1.8, 140.0, false, 2}),
    [](const auto& i) { return std::string(i.param.name); });

struct SpawnConfigCase
{
    const char* name;
    double aboveGroundFt;
    double verticalRate;
    std::uint32_t gearEvent; // data of GEAR_SET expected, 2 = none
    std::uint32_t flaps;     // index afterwards
};

class SpawnConfigTest : public FlightTest, public ::testing::WithParamInterface<SpawnConfigCase>
{
};

TEST_P(SpawnConfigTest, AnAircraftCreatedInTheAirSendsTheConfigurationItWants)
{
    const SpawnConfigCase& c = GetParam();
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
    LiveAc ac = flyingEast(c.aboveGroundFt); // flaps and gear as the simulator created it
    ac.samples = {sampleAt(52.0, 4.0, ac.cur.altitude, 250.0, g_clock.load(), c.verticalRate)};
    lf_airConfig(ac);
    const std::vector<ClientEventCmd> events = takeEvents();
    EXPECT_EQ(ac.lastFlapsIndex, c.flaps);
    if (c.gearEvent != 2)
    {
        EXPECT_TRUE(sent(events, kGearSet, c.gearEvent));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SpawnConfigTest,
                         ::testing::Values(SpawnConfigCase{"cruise", 41000.0, 0.0, 0, 0},
                                           SpawnConfigCase{"descending_low", 1800.0, -800.0, 2, 1}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(FlightTest, ThePitchEasesFromTheClimbOutToTheAttitudeOfLevelFlight)
{
    LiveAc ac = flyingEast(5000.0);
    ac.cur.pitch = ac.climbOutPitch;
    const std::int64_t now = g_clock.load();
    const LatLon end = ahead(1.5);
    ac.samples = {sampleAt(52.0, 4.0, ac.cur.altitude, 250.0, now),
                  sampleAt(end.lat, end.lon, ac.cur.altitude, 250.0, now + 2160)};
    g_liveAircraft = {ac};
    for (int t = 0; t < 2000; ++t)
    {
        pass();
    }
    EXPECT_NEAR(g_liveAircraft.front().cur.pitch, gf_pitchForRate(0.0), 0.5 * kDegToRad);
}

struct TimingCase
{
    const char* name;
    double frontKt;
    double nextKt;
    double airspeedKt; // the decoder's, on both
    double metres;
    std::int64_t ticks; // between the samples' own times
};

class SegmentTimingTest : public MotionTest, public ::testing::WithParamInterface<TimingCase>
{
};

TEST_P(SegmentTimingTest, ASegmentIsTimedFromTheSamplesWhenTheirSpeedsSayNothingOrDisagree)
{
    const TimingCase& c = GetParam();
    LiveAc ac = airliner();
    const LatLon to = gf_destinationPoint({52.0, 4.0}, kPi / 2.0, c.metres / 1852.0 * kFeetPerNm);
    const std::int64_t now = g_clock.load();
    ac.samples = {sampleAt(52.0, 4.0, 0.0, c.frontKt, now), sampleAt(to.lat, to.lon, 0.0, c.nextKt, now + c.ticks)};
    ac.samples[0].trueAirspeed = c.airspeedKt;
    ac.samples[1].trueAirspeed = c.airspeedKt;
    const double implied = c.metres / 1852.0 * 360000.0 / static_cast<double>(c.ticks);
    EXPECT_NEAR(lf_segmentSpeed(ac), implied, implied * 0.02);
}

INSTANTIATE_TEST_SUITE_P(Cases, SegmentTimingTest,
                         ::testing::Values(TimingCase{"roll_from_standstill", 0.0, 40.0, 180.0, 200.0, 2000},
                                           TimingCase{"reported_twice_too_fast", 150.0, 150.0, 0.0, 1000.0, 2000},
                                           // 240 kt over the ground against a reported 200 kt: flown at the
                                           // reported speed, each such segment would end 3 s late.
                                           TimingCase{"reported_a_sixth_too_slow", 200.0, 200.0, 0.0, 2469.3, 2000}),
                         [](const auto& i) { return std::string(i.param.name); });

struct OwnTimesCase
{
    const char* name;
    double reportedKt;
    double ownKt;       // distance over the samples' data times
    double feedSeconds; // between the data times
    double lateSeconds; // behind the next sample's play moment
    double expectedKt;
};

class OwnTimesTest : public MotionTest, public ::testing::WithParamInterface<OwnTimesCase>
{
  protected:
    // An airliner between two samples as the case has them, from one
    // altitude to the other.
    static LiveAc caseAircraft(const OwnTimesCase& c, double fromFt, double toFt)
    {
        LiveAc ac = airliner();
        const double nm = c.ownKt * c.feedSeconds / 3600.0;
        const LatLon to = gf_destinationPoint({50.0, 8.5}, kPi / 2.0, nm * kFeetPerNm);
        const std::int64_t now = g_clock.load();
        const auto due = static_cast<std::int64_t>((c.feedSeconds - c.lateSeconds) * 100.0);
        ac.samples = {sampleAt(50.0, 8.5, fromFt, c.reportedKt, now),
                      sampleAt(to.lat, to.lon, toFt, c.reportedKt, now + due)};
        ac.samples[0].feedTime = 1.8e9;
        ac.samples[1].feedTime = 1.8e9 + c.feedSeconds;
        return ac;
    }
};

TEST_P(OwnTimesTest, ASegmentIsTimedFromTheDataTimesWhenTheReportedSpeedDisagrees)
{
    const OwnTimesCase& c = GetParam();
    EXPECT_NEAR(lf_segmentSpeed(caseAircraft(c, 5000.0, 6000.0)), c.expectedKt, c.expectedKt * 0.01);
}

// A departure reporting 170 kt whose positions, 20 s apart, lie 259 kt apart:
// flown at the reported speed (and a quarter more to catch up) it fell
// further behind with every segment.
INSTANTIATE_TEST_SUITE_P(Cases, OwnTimesTest,
                         ::testing::Values(OwnTimesCase{"on_time", 170.0, 259.0, 20.0, 0.0, 259.0},
                                           OwnTimesCase{"a_little_late", 170.0, 259.0, 20.0, 4.0, 323.75},
                                           OwnTimesCase{"far_behind", 170.0, 259.0, 20.0, 10.0, 323.75},
                                           // Catching up stops at 600 kt over the ground.
                                           OwnTimesCase{"fast_cruiser_behind", 400.0, 520.0, 20.0, 10.0, 600.0},
                                           // The samples fly faster than that themselves.
                                           OwnTimesCase{"faster_than_the_cap", 480.0, 650.0, 20.0, 10.0, 650.0},
                                           // Two positions a few seconds apart: their whole-second
                                           // times say too little, the reported speed is flown.
                                           OwnTimesCase{"short_span", 170.0, 259.0, 4.0, 0.0, 212.5}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MotionTest, FromOneSegmentToTheNextTheSpeedChangesAsAnAircraftsCan)
{
    LiveAc ac = airliner();
    ac.motion.segmentSpeedKt = 400.0;
    ac.motion.segmentEnd = g_clock.load();
    // A nautical mile at 400 kt takes 9 s: 45 kt at 5 kt a second.
    EXPECT_NEAR(lf_steadySpeed(ac, 500.0, 1.0), 445.0, 0.01);
    EXPECT_NEAR(lf_steadySpeed(ac, 300.0, 1.0), 355.0, 0.01);
    EXPECT_DOUBLE_EQ(lf_steadySpeed(ac, 420.0, 1.0), 420.0);
    // A segment that ended a while ago says nothing about the speed now.
    ac.motion.segmentEnd = g_clock.load() - 1000;
    EXPECT_DOUBLE_EQ(lf_steadySpeed(ac, 500.0, 1.0), 500.0);
}

class CruiseSpeedTest : public OwnTimesTest
{
};

TEST_P(CruiseSpeedTest, InCruiseALeadOrLagOnThePlayMomentsIsMadeUpSlowly)
{
    const OwnTimesCase& c = GetParam();
    EXPECT_NEAR(lf_easedSpeed(caseAircraft(c, 35000.0, 35000.0)), c.expectedKt, c.expectedKt * 0.01);
}

// A second or two of jitter on the play moments is made up over 45 s, not
// within the segment: met at once it had a cruising airliner surge between
// 200 and 600 kt.
INSTANTIATE_TEST_SUITE_P(Cases, CruiseSpeedTest,
                         ::testing::Values(OwnTimesCase{"on_time", 450.0, 450.0, 20.0, 0.0, 450.0},
                                           OwnTimesCase{"two_seconds_late", 450.0, 450.0, 20.0, 2.0, 470.93},
                                           OwnTimesCase{"five_seconds_early", 450.0, 450.0, 20.0, -5.0, 405.0},
                                           OwnTimesCase{"far_behind", 450.0, 450.0, 20.0, 30.0, 562.5},
                                           OwnTimesCase{"far_ahead", 450.0, 450.0, 20.0, -40.0, 337.5},
                                           // Catching up stops at 600 kt over the ground.
                                           OwnTimesCase{"fast_cruiser_behind", 520.0, 520.0, 20.0, 30.0, 600.0},
                                           // Data times too close to tell: the reported speed is the
                                           // aircraft's own, half a second behind at it.
                                           OwnTimesCase{"short_span", 400.0, 450.0, 4.0, 0.0, 404.49}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MotionTest, ATaxiTurnIsRolledWithTheNoseAlongTheWayOfTravel)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.heading = 0.0;
    // The next sample lies 250 m away to the east: a right turn of 90 degrees.
    const LatLon to = gf_destinationPoint({52.0, 4.0}, kPi / 2.0, 250.0 / 1852.0 * kFeetPerNm);
    const std::int64_t now = g_clock.load();
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 15.0, now), sampleAt(to.lat, to.lon, 0.0, 15.0, now + 3240)};
    nextPosMain(ac);
    const std::int64_t until = ac.samples.front().playMoment;
    int moving = 0;
    int crabbing = 0;
    LatLon last{ac.cur.latitude, ac.cur.longitude};
    while (g_clock.load() < until)
    {
        lf_curveStep(ac);
        g_clock.fetch_add(1);
        const LatLon here{ac.cur.latitude, ac.cur.longitude};
        if (gf_distanceNm(last, here) * 1852.0 > 0.01)
        {
            ++moving;
            const double travel = gf_bearing(last, here);
            if (std::fabs(std::remainder(ac.cur.heading - travel, 2.0 * kPi)) > 30.0 * kDegToRad)
            {
                ++crabbing;
            }
        }
        last = here;
    }
    ASSERT_GT(moving, 1000);
    EXPECT_LE(crabbing, moving / 100);
    EXPECT_LT(gf_distanceNm(last, to) * 1852.0, 3.0);
}

// What a ground roll looked like, second by second as the flight check
// sees it (tools/trace-plot/flight_check.h).
struct GroundRoll
{
    int moving = 0;   // seconds faster than 3 kt
    int crabbing = 0; // of those, with the nose more than 30 degrees off the way
    double widestTurnDeg = 0.0; // the largest heading change in one second
};

// Flies a taxiing aircraft through its samples pass by pass until half a
// minute after the last sample's play moment, or until it has parked.
GroundRoll rollOut(LiveAc& ac)
{
    // Late samples are played up to half a minute late.
    const std::int64_t until = ac.samples.back().playMoment + 3000;
    const std::int64_t latest = until + 30000;
    GroundRoll r;
    LatLon last{ac.cur.latitude, ac.cur.longitude};
    double lastHeading = ac.cur.heading;
    while ((ac.situation == kSituationParking && g_clock.load() < latest) || g_clock.load() < until)
    {
        g_clock.fetch_add(1);
        if (!ac.samples.empty() && g_clock.load() >= ac.samples.front().playMoment)
        {
            nextPosMain(ac);
        }
        if (!ac.samples.empty() && ac.samples.front().onGround == 0)
        {
            lf_curveStep(ac);
        }
        if (g_clock.load() % 100 != 0)
        {
            continue;
        }
        const LatLon here{ac.cur.latitude, ac.cur.longitude};
        r.widestTurnDeg =
            std::max(r.widestTurnDeg, std::fabs(std::remainder(ac.cur.heading - lastHeading, 2.0 * kPi)) * kRadToDeg);
        if (gf_distanceNm(last, here) * 1852.0 > 3.0 * 0.5144)
        {
            ++r.moving;
            const double off = std::fabs(std::remainder(ac.cur.heading - gf_bearing(last, here), 2.0 * kPi));
            r.crabbing += off > 30.0 * kDegToRad ? 1 : 0;
        }
        last = here;
        lastHeading = ac.cur.heading;
    }
    return r;
}

// A point metres north and east of 52N 4E.
LatLon metresFrom(double north, double east)
{
    return LatLon{52.0 + north / kMetresPerDegreeLat, 4.0 + east / (kMetresPerDegreeLat * std::cos(52.0 * kDegToRad))};
}

// An airliner taxiing at 52N 4E with its nose on the heading (radians).
LiveAc taxiingAt(double nose)
{
    LiveAc ac = airliner();
    ac.situation = kSituationTaxi;
    ac.groundMode = 1;
    ac.cur.latitude = 52.0;
    ac.cur.longitude = 4.0;
    ac.cur.heading = nose;
    return ac;
}

struct TaxiCase
{
    const char* name;
    double noseDeg;
    // Samples, metres north and east of the start, each `seconds` after the
    // one before, at the ground speed.
    std::vector<std::array<double, 2>> way;
    double seconds;
    double knots;
};

class TaxiTest : public MotionTest, public ::testing::WithParamInterface<TaxiCase>
{
};

TEST_P(TaxiTest, TheNoseFollowsTheWayOfTravel)
{
    const TaxiCase& c = GetParam();
    LiveAc ac = taxiingAt(c.noseDeg * kDegToRad);
    const std::int64_t now = g_clock.load();
    ac.samples = {sampleAt(52.0, 4.0, 0.0, c.knots, now)};
    std::int64_t play = now;
    for (const auto& [north, east] : c.way)
    {
        play += static_cast<std::int64_t>(c.seconds * 100.0);
        const LatLon p = metresFrom(north, east);
        ac.samples.push_back(sampleAt(p.lat, p.lon, 0.0, c.knots, play));
    }
    const GroundRoll r = rollOut(ac);
    ASSERT_GT(r.moving, 10);
    EXPECT_LE(r.crabbing, r.moving / 100) << r.crabbing << " of " << r.moving << " s";
    const LatLon end = metresFrom(c.way.back()[0], c.way.back()[1]);
    EXPECT_LT(gf_distanceNm({ac.cur.latitude, ac.cur.longitude}, end) * 1852.0, 3.0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TaxiTest,
    ::testing::Values(
        // Standing across the taxiway after a hold, then off along it: the
        // corner's curve must leave along the nose, not towards the corner.
        TaxiCase{"off_a_hold_nose_across", 90.0, {{60.0, 0.0}, {120.0, 40.0}, {180.0, 80.0}, {240.0, 120.0}}, 8.0, 15.0},
        // Lined up crooked, then a roll that speeds up along the runway.
        TaxiCase{"crooked_line_up", 160.0, {{-30.0, -80.0}, {-90.0, -250.0}, {-200.0, -560.0}, {-400.0, -1100.0}},
                 6.0, 40.0},
        // A zig-zag of tight corners on the taxiways.
        TaxiCase{"tight_corners", 0.0, {{80.0, 0.0}, {80.0, 80.0}, {160.0, 80.0}, {160.0, 160.0}, {240.0, 160.0}},
                 12.0, 14.0}),
    [](const auto& i) { return std::string(i.param.name); });

struct StandCase
{
    const char* name;
    double noseDeg;
    double standNorth; // metres from the start
    double standEast;
    double standHeadingDeg;
};

class StandArrivalTest : public MotionTest, public ::testing::WithParamInterface<StandCase>
{
  protected:
    void TearDown() override
    {
        g_stands.edit([](std::vector<Stand>& v) { v.clear(); });
        MotionTest::TearDown();
    }
};

// The last metres into a stand turn onto the stand's heading; the aircraft
// stops there without a jump of its nose.
TEST_P(StandArrivalTest, TheAircraftTurnsOntoTheStandHeadingOverTheLastMetres)
{
    const StandCase& c = GetParam();
    const LatLon at = metresFrom(c.standNorth, c.standEast);
    Stand stand;
    stand.name = "B7";
    stand.numericId = 7;
    stand.latitude = at.lat;
    stand.longitude = at.lon;
    stand.heading = c.standHeadingDeg * kDegToRad;
    stand.radius = 0.02;
    g_stands.edit([&](std::vector<Stand>& v) { v = {stand}; });
    LiveAc ac = taxiingAt(c.noseDeg * kDegToRad);
    ac.situation = kSituationParking;
    ac.previousSituation = kSituationTaxi;
    ac.standId = 7;
    ac.latitude = at.lat;
    ac.longitude = at.lon;
    ac.heading = stand.heading;
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 8.0, g_clock.load())};
    drive2Stand(ac, stand);
    const GroundRoll r = rollOut(ac);
    ASSERT_EQ(ac.situation, kSituationParked);
    EXPECT_LE(r.crabbing, r.moving / 100) << r.crabbing << " of " << r.moving << " s";
    EXPECT_LT(r.widestTurnDeg, 25.0);
    EXPECT_NEAR(ac.cur.latitude, at.lat, 2e-6);
    EXPECT_NEAR(ac.cur.longitude, at.lon, 2e-6);
    EXPECT_NEAR(std::remainder(ac.cur.heading - stand.heading, 2.0 * kPi), 0.0, 1e-6);
}

// Through the stand search: an aircraft that stops beside a stand is sent
// into it on a turn that leaves along its nose, not on the turn it had
// planned to the sample the stand replaced.
TEST_F(StandArrivalTest, AnAircraftStoppingBesideAStandTurnsIntoIt)
{
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode("EHAM");
        g_parkAirport.latitude = 52.0;
        g_parkAirport.longitude = 4.0;
    }
    // Nose north; the aircraft comes along 15 m south of it, heading east.
    const LatLon at = metresFrom(15.0, 40.0);
    Stand stand = gf_makeStand("B7", {}, at.lat, at.lon, 0.0, 40.0, 0, false, false, false);
    stand.numericId = 7;
    g_stands.edit([&](std::vector<Stand>& v) { v = {stand}; });
    LiveAc ac = taxiingAt(kPi / 2.0);
    ac.previousSituation = kSituationFlying;
    const std::int64_t now = g_clock.load();
    const LatLon stop = metresFrom(0.0, 30.0);
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 8.0, now), sampleAt(stop.lat, stop.lon, 0.0, 4.0, now + 1000),
                  sampleAt(stop.lat, stop.lon, 0.0, 0.0, now + 1500)};
    ac.samples.back().onGround = 1;
    const GroundRoll r = rollOut(ac);
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
    ASSERT_EQ(ac.situation, kSituationParked);
    EXPECT_EQ(r.crabbing, 0) << r.moving << " s moving";
    EXPECT_LT(r.widestTurnDeg, 25.0);
    EXPECT_NEAR(ac.cur.latitude, at.lat, 2e-6);
    EXPECT_NEAR(ac.cur.longitude, at.lon, 2e-6);
    EXPECT_NEAR(std::remainder(ac.cur.heading - stand.heading, 2.0 * kPi), 0.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Stands, StandArrivalTest,
                         ::testing::Values(StandCase{"turn_left_into_it", 90.0, 40.0, 80.0, 0.0},
                                           StandCase{"turn_right_into_it", 0.0, 90.0, 30.0, 90.0},
                                           StandCase{"nearly_straight_in", 85.0, 10.0, 120.0, 95.0}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MotionTest, AnAircraftCreatedOnTheGroundStandsOnItsWheels)
{
    LiveAc ac = airliner();
    ac.staticCgHeight = 0.0; // not reported yet
    ac.situation = kSituationTaxi;
    ac.samples = {sampleAt(52.0, 4.0, 0.0, 10.0, g_clock.load()),
                  sampleAt(52.0, 4.001, 0.0, 10.0, g_clock.load() + 1000)};
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport.icao = IcaoCode("EHAM");
        g_parkAirport.elevation = 12.0f;
    }
    lf_initialAttitude(ac);
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
    EXPECT_GT(ac.staticCgHeight, 0.0);
    EXPECT_NEAR(ac.cur.altitude, 12.0 + ac.staticCgHeight, 1e-9);
}

TEST_F(MotionTest, ACreationTheSimulatorNeverConfirmsIsDroppedAfterAMinute)
{
    LiveAc ac = airliner();
    ac.objectId = 0;
    ac.simState = kSimStateAdding;
    ac.addingSince = g_clock.load();
    g_clock.fetch_add(5000);
    updateLiveAc(ac);
    EXPECT_EQ(ac.erase, 0);
    g_clock.fetch_add(1001);
    EXPECT_TRUE(updateLiveAc(ac));
}

TEST_F(MotionTest, AnAircraftTheSimulatorRemovesFreesItsStand)
{
    Stand stand;
    stand.name = "A1";
    stand.numericId = 7;
    stand.latitude = 52.0;
    stand.longitude = 4.0;
    stand.occupied = 1;
    g_stands.edit([&](std::vector<Stand>& v) { v = {stand}; });
    LiveAc ac = airliner();
    ac.objectId = 77;
    ac.standId = 7;
    ac.situation = kSituationParked;
    g_liveAircraft = {ac};
    gf_onObjectRemoved(77);
    EXPECT_TRUE(g_liveAircraft.empty());
    ASSERT_NE(gf_findStand(7), nullptr);
    EXPECT_EQ(gf_findStand(7)->occupied, 0);
    g_stands.edit([](std::vector<Stand>& v) { v.clear(); });
}

} // namespace
} // namespace ovr::test
