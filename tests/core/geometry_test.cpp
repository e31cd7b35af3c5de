#include "core/geometry.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace ovr
{
namespace
{

TEST(Geometry, Distances)
{
    const struct
    {
        LatLon a, b;
        double nm;
    } cases[] = {
        {{52.3, 4.76}, {52.3, 4.76}, 0.0},    {{10.0, 5.0}, {11.0, 5.0}, 60.0}, // one degree of latitude
        {{0.0, 0.0}, {0.0, 1.0}, 60.0},      // one degree of longitude on the equator
        {{0.0, 179.5}, {0.0, -179.5}, 60.0}, // across the antimeridian
        {{90.0, 0.0}, {-90.0, 0.0}, 10800.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(gf_distanceNm(c.a, c.b), c.nm, 1e-9) << c.a.lat << "," << c.a.lon;
}

TEST(Geometry, BearingsAreNeverNegative)
{
    const struct
    {
        LatLon to;
        double bearing;
    } cases[] = {
        {{1.0, 0.0}, 0.0},          {{0.0, 1.0}, kPi / 2}, {{-1.0, 0.0}, kPi},
        {{0.0, -1.0}, 3 * kPi / 2}, {{0.0, 0.0}, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(gf_bearing({0.0, 0.0}, c.to), c.bearing, 1e-12) << c.to.lat << "," << c.to.lon;
}

TEST(Geometry, DestinationPoints)
{
    LatLon north = gf_destinationPoint({0.0, 0.0}, 0.0, kFeetPerNm);
    EXPECT_NEAR(north.lat, 1.0 / 60.0, 1e-12);
    EXPECT_NEAR(north.lon, 0.0, 1e-12);

    LatLon east = gf_destinationPoint({0.0, 179.99}, kPi / 2, 60 * kFeetPerNm);
    EXPECT_NEAR(east.lon, -179.01, 1e-9);
    EXPECT_LE(east.lon, 180.0);

    LatLon back = gf_destinationPoint(north, kPi, kFeetPerNm);
    EXPECT_NEAR(back.lat, 0.0, 1e-12);
}

CurveRecord testCurve()
{
    CurveRecord c;
    c.originLat = 52.0;
    c.originLon = 4.0;
    c.startTime = 100.0;
    c.endTime = 110.0;
    c.endNorth = 1000.0;
    c.endEast = 1000.0;
    c.controlEast = 0.0;
    c.controlNorth = 1000.0;
    return c;
}

TEST(Geometry, CurveEnds)
{
    CurveRecord c = testCurve();
    LatLon p;
    double heading = -1;
    ASSERT_TRUE(gf_pointOnCurve(c, 100.0, p, heading));
    EXPECT_DOUBLE_EQ(p.lat, 52.0);
    EXPECT_DOUBLE_EQ(p.lon, 4.0);
    EXPECT_NEAR(heading, 0.0, 1e-12); // towards the control point, due north

    ASSERT_TRUE(gf_pointOnCurve(c, 110.0, p, heading));
    EXPECT_NEAR(p.lat, 52.0 + 1000.0 / kMetresPerDegreeLat, 1e-12);
    EXPECT_NEAR(p.lon, 4.0 + 1000.0 / (kMetresPerDegreeLat * std::cos(52.0 * kDegToRad)), 1e-12);
    EXPECT_NEAR(heading, kPi / 2, 1e-12); // arriving from the control point, due east
}

TEST(Geometry, CurveGivesNoPoint)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* what;
        void (*change)(CurveRecord&);
        double t;
    } const cases[] = {
        {"before start", [](CurveRecord&) {}, 99.9},
        {"after end", [](CurveRecord&) {}, 110.1},
        {"equal times", [](CurveRecord& c) { c.endTime = c.startTime; }, 100.0},
        {"end before start", [](CurveRecord& c) { c.endTime = 90.0; }, 95.0},
        {"unknown control", [](CurveRecord& c) { c.controlEast = std::numeric_limits<double>::quiet_NaN(); },
         105.0},
        {"time not a number", [](CurveRecord&) {}, nan},
    };
    for (const Case& c : cases)
    {
        CurveRecord curve = testCurve();
        c.change(curve);
        LatLon p{1.0, 2.0};
        double heading = 3.0;
        EXPECT_FALSE(gf_pointOnCurve(curve, c.t, p, heading)) << c.what;
    }
}

} // namespace
} // namespace ovr
