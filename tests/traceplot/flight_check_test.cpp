#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "feed_positions.h"
#include "flight_check.h"
#include "trace_model.h"

using namespace ovr::traceplot;

namespace
{

constexpr double kEpochS = 1780308000.0;
constexpr double kMetresPerDegree = 111195.0;
constexpr double kLat0 = 50.0;
constexpr double kLon0 = 8.0;
constexpr double kDelayS = 33.0;

// A moment of a flight in metres from a fixed point.
struct Point
{
    double t = 0.0;
    double northM = 0.0;
    double eastM = 0.0;
    double altFt = 0.0;
    bool ground = false;
    double headingDeg = 90.0;
    bool gear = false;
    double flaps = 0.0;
};

double latOf(const Point& p)
{
    return kLat0 + p.northM / kMetresPerDegree;
}

double lonOf(const Point& p)
{
    return kLon0 + p.eastM / (kMetresPerDegree * std::cos(kLat0 * 3.14159265358979 / 180.0));
}

FeedAircraft feedOf(const std::string& key, const std::string& callsign, const std::vector<Point>& points)
{
    FeedAircraft a{key, callsign, "D-" + key, {}};
    for (const Point& p : points)
        a.positions.push_back(FeedPosition{kEpochS + p.t, latOf(p), lonOf(p), p.altFt, p.ground});
    return a;
}

// What the program shows: the feed's points `delay` seconds after their time.
TracedObject objectOf(long long id, const std::string& callsign, const std::vector<Point>& points,
                      double delay = kDelayS)
{
    TracedObject o;
    o.id = id;
    o.kind = ObjectKind::live;
    o.callsign = callsign;
    for (const Point& p : points)
        o.samples.push_back(
            Sample{(p.t + delay) * 1000.0, latOf(p), lonOf(p), p.altFt, p.ground, p.headingDeg, p.gear, p.flaps, 0.0});
    return o;
}

// East at `speed` m/s and a constant altitude, one point a second.
std::vector<Point> straight(int seconds, double speed, double altFt, bool ground = false)
{
    std::vector<Point> points;
    for (int t = 0; t <= seconds; ++t)
        points.push_back(Point{static_cast<double>(t), 0.0, speed * t, altFt, ground});
    return points;
}

// A descent at `fpm` to the ground at 0 ft, then the roll-out.
std::vector<Point> landing(double fpm)
{
    std::vector<Point> points;
    double alt = 1200.0;
    for (int t = 0; t <= 200; ++t)
    {
        const bool ground = alt <= 0.0;
        points.push_back(Point{static_cast<double>(t), 0.0, 70.0 * t, std::max(alt, 0.0), ground, 90.0, true, 30.0});
        alt -= fpm / 60.0;
    }
    return points;
}

FlightCheck check(const std::vector<TracedObject>& objects, const std::vector<FeedAircraft>& feed,
                  std::optional<double> delay = std::nullopt)
{
    Trace trace;
    trace.objects = objects;
    CheckOptions options;
    options.epochMsAtZero = kEpochS * 1000.0;
    options.delayS = delay;
    return checkFlights(trace, feed, options);
}

std::vector<bool> passes(const FlightCheck& c)
{
    std::vector<bool> out;
    for (const LimitCheck& l : c.limits)
        out.push_back(l.pass);
    return out;
}

// The limits in the order the check gives them.
enum Limit
{
    kGroundWhileAirborne,
    kStep,
    kSink,
    kDrop,
    kCrab,
    kSurge,
    kGear,
    kError,
    kLimitCount
};

} // namespace

TEST(FeedPositions, ReadPerAircraftInTimeOrderEachReportOnce)
{
    std::istringstream in(
        R"({"sent":10,"key":"3C0001","callsign":"DLH1","registration":"D-AIAA","data_time":8.5,"lat":50,"lon":8,"alt_ft":3000,"on_ground":false,"buffer":-1})"
        "\n"
        R"({"sent":12,"key":"3C0001","callsign":"","registration":"D-AIAA","data_time":8.5,"lat":50,"lon":8,"alt_ft":3000,"on_ground":false,"buffer":-1})"
        "\n"
        "not json\n"
        R"({"sent":12,"key":"3C0002","callsign":"BAW2","data_time":9,"lat":51,"lon":0,"on_ground":true})"
        "\n"
        R"({"sent":12,"key":"3C0001","callsign":"DLH1","data_time":6.0,"lat":49.9,"lon":8,"alt_ft":2800})"
        "\n"
        R"({"sent":12,"key":"3C0003","callsign":"DLH3","lat":49.9,"lon":8})"
        "\n");
    const std::vector<FeedAircraft> feed = readFeedPositions(in);
    ASSERT_EQ(feed.size(), 2u);
    EXPECT_EQ(feed[0].key, "3C0001");
    EXPECT_EQ(feed[0].callsign, "DLH1") << "an empty callsign keeps the one known";
    EXPECT_EQ(feed[0].registration, "D-AIAA");
    ASSERT_EQ(feed[0].positions.size(), 2u);
    EXPECT_DOUBLE_EQ(feed[0].positions[0].dataTime, 6.0);
    EXPECT_DOUBLE_EQ(feed[0].positions[1].altFt, 3000.0);
    EXPECT_TRUE(feed[1].positions[0].onGround);
}

TEST(TraceRead, ObjectsCarryTheirAttitudeConfigurationGroundAndTheClock)
{
    std::istringstream in(
        R"({"t_ms":0,"kind":"clock","epoch_ms":1780308000500})"
        "\n"
        R"({"t_ms":1000,"kind":"objects","objects":[{"id":3,"atc_id":"DLH1","owner":"Vora","lat":50,"lon":8,"alt_ft":900,"on_ground":false,"heading_deg":251.5,"gear_down":true,"flaps_percent":37.5,"ground_ft":364}]})"
        "\n");
    const Trace trace = readTrace(in);
    ASSERT_TRUE(trace.epochMsAtZero.has_value());
    EXPECT_DOUBLE_EQ(*trace.epochMsAtZero, 1780308000500.0);
    ASSERT_EQ(trace.objects.size(), 1u);
    const Sample& s = trace.objects[0].samples.at(0);
    EXPECT_DOUBLE_EQ(s.headingDeg, 251.5);
    EXPECT_TRUE(s.gearDown);
    EXPECT_DOUBLE_EQ(s.flapsPercent, 37.5);
    EXPECT_DOUBLE_EQ(s.groundFt, 364.0);
}

TEST(FlightCheck, AFaithfulFlightPassesAndTheDelayIsFound)
{
    const std::vector<Point> path = straight(200, 120.0, 6000.0);
    const FlightCheck c = check({objectOf(5, "DLH1", path)}, {feedOf("3C0001", "DLH1", path)});
    EXPECT_DOUBLE_EQ(c.delayS, kDelayS);
    ASSERT_EQ(c.aircraft.size(), 1u);
    EXPECT_EQ(c.aircraft[0].feedKey, "3C0001");
    EXPECT_NEAR(c.aircraft[0].airborne.worstM, 0.0, 1.0);
    EXPECT_NEAR(c.aircraft[0].fastestStepMps, 120.0, 1.0);
    EXPECT_TRUE(c.passed()) << checkText(c);
    EXPECT_NE(checkText(c).find("Flight check: PASS"), std::string::npos);
}

TEST(FlightCheck, AnAircraftAheadOfItsDataShowsItsOwnDelayAndItsError)
{
    const std::vector<Point> path = straight(200, 120.0, 6000.0);
    // 10 s ahead of its data: 1.2 km off at the program's delay.
    const FlightCheck c = check({objectOf(5, "DLH1", path, kDelayS - 10.0)}, {feedOf("3C0001", "DLH1", path)},
                                kDelayS);
    ASSERT_EQ(c.aircraft.size(), 1u);
    ASSERT_TRUE(c.aircraft[0].ownDelayS.has_value());
    EXPECT_DOUBLE_EQ(*c.aircraft[0].ownDelayS, kDelayS - 10.0);
    EXPECT_NEAR(c.airborne.medianM, 1200.0, 5.0);
    EXPECT_FALSE(c.limits.at(kError).pass);
}

TEST(FlightCheck, AircraftAreMatchedByCallsignThenByWhereTheyFlew)
{
    const std::vector<Point> north = [] {
        std::vector<Point> p = straight(120, 100.0, 5000.0);
        for (Point& q : p)
            q.northM = 20000.0;
        return p;
    }();
    const std::vector<Point> south = straight(120, 100.0, 5000.0);
    const std::vector<FeedAircraft> feed = {feedOf("3C0001", "DLH1", north), feedOf("3C0002", "DLH1", south),
                                            feedOf("3C0003", "ABCDEFGHIJKLMN", south), feedOf("3C0004", "", south)};
    const FlightCheck c = check({objectOf(5, "DLH1", south), objectOf(6, "DLH1", north),
                                 objectOf(7, "ABCDEFGHIJKL", south), objectOf(8, "D-3C0004", south),
                                 objectOf(9, "XYZ9", south)},
                                feed);
    ASSERT_EQ(c.aircraft.size(), 5u);
    EXPECT_EQ(c.aircraft[0].feedKey, "3C0002");
    EXPECT_EQ(c.aircraft[1].feedKey, "3C0001");
    EXPECT_EQ(c.aircraft[2].feedKey, "3C0003") << "the simulator keeps 12 characters";
    EXPECT_EQ(c.aircraft[3].feedKey, "3C0004") << "the registration as the tail number";
    EXPECT_EQ(c.aircraft[4].feedKey, "");
}

TEST(FlightCheck, WithoutTheTraceClockTheCheckCannotStart)
{
    Trace trace;
    EXPECT_THROW(checkFlights(trace, {}), std::runtime_error);
}

// Each flight breaks the limits named and no other.
struct LimitCase
{
    const char* name;
    std::function<std::vector<Point>()> feed;
    // What the program made of it.
    std::function<void(std::vector<Point>&)> spoil;
    std::vector<Limit> broken;
};

class FlightLimits : public testing::TestWithParam<LimitCase>
{
};

TEST_P(FlightLimits, BreakOnlyWhatTheFlightBreaks)
{
    const LimitCase& lc = GetParam();
    const std::vector<Point> sent = lc.feed();
    std::vector<Point> flown = sent;
    lc.spoil(flown);
    const FlightCheck c = check({objectOf(5, "DLH1", flown)}, {feedOf("3C0001", "DLH1", sent)}, kDelayS);
    std::vector<bool> expected(kLimitCount, true);
    for (Limit l : lc.broken)
        expected[l] = false;
    EXPECT_EQ(passes(c), expected) << checkText(c);
    EXPECT_EQ(c.passed(), lc.broken.empty());
}

const LimitCase kLimitCases[] = {
    {"faithful_cruise", [] { return straight(120, 100.0, 8000.0); }, [](std::vector<Point>&) {}, {}},
    {"ground_10_s_while_flying", [] { return straight(120, 100.0, 3000.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 40; i < 50; ++i)
             p[i].ground = true;
     },
     {}},
    {"ground_11_s_while_flying", [] { return straight(120, 100.0, 3000.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 40; i < 51; ++i)
             p[i].ground = true;
     },
     {kGroundWhileAirborne}},
    {"ground_while_flying_low_is_not_counted", [] { return straight(120, 60.0, 400.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 40; i < 80; ++i)
             p[i].ground = true;
     },
     {}},
    {"jump_sideways", [] { return straight(120, 100.0, 8000.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 60; i < 63; ++i)
             p[i].northM = 800.0;
     },
     {kStep, kSurge}},
    {"gentle_landing", [] { return landing(600.0); }, [](std::vector<Point>&) {}, {}},
    {"steep_landing", [] { return landing(1200.0); }, [](std::vector<Point>&) {}, {kSink}},
    {"last_30_ft_in_one_step",
     [] { return landing(600.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 1; i < p.size(); ++i)
         {
             if (p[i].ground && !p[i - 1].ground)
             {
                 // Held 30 ft up, then put on the ground.
                 for (std::size_t k = i - 4; k < i; ++k)
                     p[k].altFt = 30.0;
                 break;
             }
         }
     },
     {kDrop}},
    {"taxi_nose_on_the_track", [] { return straight(300, 8.0, 0.0, true); }, [](std::vector<Point>&) {}, {}},
    {"taxi_sideways",
     [] { return straight(300, 8.0, 0.0, true); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 100; i < 104; ++i)
             p[i].headingDeg = 160.0;
     },
     {kCrab}},
    {"pushback_is_left_out",
     [] { return straight(100, 2.0, 0.0, true); },
     [](std::vector<Point>& p)
     {
         for (Point& q : p)
             q.headingDeg = 270.0;
     },
     {}},
    // 20 m/s faster, then slower, five seconds each: within 100 m of the
    // feed, but surging back and forth.
    {"surging_in_cruise", [] { return straight(120, 100.0, 8000.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 0; i < p.size(); ++i)
         {
             const double phase = static_cast<double>(i % 10);
             p[i].eastM += 20.0 * (phase <= 5.0 ? phase : 10.0 - phase);
         }
     },
     {kSurge}},
    {"one_hop_ahead", [] { return straight(120, 100.0, 8000.0); },
     [](std::vector<Point>& p)
     {
         for (std::size_t i = 60; i < p.size(); ++i)
             p[i].eastM += 20.0;
     },
     {}},
    {"gear_down_at_6000_ft_agl", [] { return straight(120, 100.0, 6000.0); },
     [](std::vector<Point>& p) { p[30].gear = true; }, {kGear}},
    {"gear_down_at_4000_ft_agl", [] { return straight(120, 100.0, 4000.0); },
     [](std::vector<Point>& p) { p[30].gear = true; }, {}},
    // Created in the air with the simulator's gear: the first snapshot may
    // come before the program could raise it, the second may not.
    {"gear_down_when_created_only", [] { return straight(120, 100.0, 6000.0); },
     [](std::vector<Point>& p) { p[0].gear = true; }, {}},
    {"gear_down_after_creation", [] { return straight(120, 100.0, 6000.0); },
     [](std::vector<Point>& p) { p[0].gear = p[1].gear = true; }, {kGear}},
    {"flown_500_m_to_the_side", [] { return straight(120, 100.0, 8000.0); },
     [](std::vector<Point>& p)
     {
         for (Point& q : p)
             q.northM += 500.0;
     },
     {kError}},
};

INSTANTIATE_TEST_SUITE_P(Cases, FlightLimits, testing::ValuesIn(kLimitCases),
                         [](const testing::TestParamInfo<LimitCase>& p) { return std::string(p.param.name); });

TEST(FlightCheck, ASpeedLeapOnTheGroundIsMeasured)
{
    // Taxiing at 8 m/s, it leaps to 33 m/s for ten seconds and back.
    const std::vector<Point> sent = straight(300, 8.0, 0.0, true);
    std::vector<Point> flown = sent;
    for (std::size_t i = 100; i < flown.size(); ++i)
        flown[i].eastM += i < 110 ? 25.0 * static_cast<double>(i - 99) : 250.0;
    const FlightCheck c = check({objectOf(5, "DLH1", flown)}, {feedOf("3C0001", "DLH1", sent)}, kDelayS);
    ASSERT_EQ(c.aircraft.size(), 1u);
    EXPECT_NEAR(c.aircraft[0].largestGroundChangeMps, 25.0, 0.5);
    EXPECT_NEAR(check({objectOf(5, "DLH1", sent)}, {feedOf("3C0001", "DLH1", sent)}, kDelayS)
                    .aircraft[0]
                    .largestGroundChangeMps,
                0.0, 0.5);
}

TEST(FlightCheck, AnApproachLeftHighShowsInTheAltitudeError)
{
    const std::vector<Point> sent = landing(800.0);
    std::vector<Point> flown = sent;
    for (Point& p : flown)
        p.altFt = std::max(p.altFt, 400.0);
    const FlightCheck c = check({objectOf(5, "DLH1", flown)}, {feedOf("3C0001", "DLH1", sent)}, kDelayS);
    EXPECT_NEAR(c.airborneAltitude.worstM, 400.0, 15.0) << checkText(c);
    EXPECT_DOUBLE_EQ(c.airborneAltitude.medianM, 0.0);
}

TEST(FlightCheck, FlapsUpOnADescentBelow1000FtAreCounted)
{
    std::vector<Point> path = landing(600.0);
    for (Point& p : path)
        p.flaps = 0.0;
    const FlightCheck c = check({objectOf(5, "DLH1", path)}, {feedOf("3C0001", "DLH1", path)}, kDelayS);
    ASSERT_EQ(c.aircraft.size(), 1u);
    // 1,000 ft at 10 ft/s, less the first five seconds that cannot show a descent yet.
    EXPECT_NEAR(c.aircraft[0].flapsUpLowS, 95, 5);
    ASSERT_EQ(c.aircraft[0].touchdowns.size(), 1u);
    EXPECT_NEAR(c.aircraft[0].touchdowns[0].sinkFpm, 600.0, 10.0);
}
