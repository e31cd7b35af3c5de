// Live aircraft at the park airport in virtual time: one taxies to a stand
// and parks, one is reported standing and appears on its stand, a parked one
// leaves and takes off, and the user's stands are never given away. The
// apron is made up; the user aircraft stands on the ground at its far end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "simlink/sim_ids.h"
#include "traffic/live_aircraft.h"
#include "virtual_session.h"
#include "../support/test_files.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

constexpr double kElevationFt = 364.0;
constexpr double kScenarioApronLat = 50.04;
constexpr double kScenarioApronLon = 8.56;
constexpr double kMetresPerDegLat = 111132.95;
const double kMetresPerDegLon = kMetresPerDegLat * std::cos(kScenarioApronLat * kDegToRad);

// A point `north` and `east` metres from the apron's origin.
std::pair<double, double> at(double north, double east)
{
    return {kScenarioApronLat + north / kMetresPerDegLat, kScenarioApronLon + east / kMetresPerDegLon};
}

double metresBetween(double lat1, double lon1, double lat2, double lon2)
{
    return gf_distanceNm(LatLon{lat1, lon1}, LatLon{lat2, lon2}) * 1852.0;
}

fakert::TrackPoint point(double t, std::pair<double, double> where, double altitudeFt, double speedKt)
{
    return fakert::TrackPoint{t, {where.first, where.second}, altitudeFt, speedKt};
}

fakert::Track track(std::string hex, std::string callsign, std::vector<fakert::TrackPoint> points)
{
    fakert::Track t;
    t.hex = std::move(hex);
    t.callsign = std::move(callsign);
    t.type = "A320";
    t.registration = "D-AI" + t.callsign.substr(t.callsign.size() - 2);
    t.points = std::move(points);
    return t;
}

// Three stands in a row 70 m apart along the apron's north edge, noses
// south (heading 180), each the neighbour of the next.
struct ApronStand
{
    const char* name;
    double east;
};
constexpr ApronStand kApronStands[] = {{"V1", 0.0}, {"V2", 70.0}, {"V3", 140.0}};

class ParkingScenarioTest : public VirtualSession
{
  protected:
    void TearDown() override
    {
        OBJECTID_LIST.current.store(false);
        VirtualSession::TearDown();
    }

    // The user aircraft on the ground 1.5 km south of the apron.
    static sim::Scenario groundUser()
    {
        const auto user = at(-1500.0, 0.0);
        sim::Scenario s = airborneUser(user.first, user.second, kElevationFt);
        s.user.pose.onGround = true;
        s.terrain.elevationFt = kElevationFt;
        return s;
    }

    // The park airport and its stands, as the parking driver would have
    // loaded them; `reserved` is the user's reserved stand, `listedStands`
    // the number of stands the airport list gives for the airport.
    static void loadApron(const std::string& reserved = {},
                          std::int32_t listedStands = static_cast<std::int32_t>(std::size(kApronStands)))
    {
        std::vector<Stand> stands;
        for (std::size_t i = 0; i < std::size(kApronStands); ++i)
        {
            const auto p = at(0.0, kApronStands[i].east);
            Stand s =
                gf_makeStand(kApronStands[i].name, {}, p.first, p.second, kPi, 25.0, 0, false, false, false);
            s.numericId = static_cast<std::int32_t>(i + 1);
            if (i > 0)
                s.adjacent.push_back(static_cast<std::int32_t>(i));
            if (i + 1 < std::size(kApronStands))
                s.adjacent.push_back(static_cast<std::int32_t>(i + 2));
            s.reserved = reserved == s.name ? 1 : 0;
            stands.push_back(std::move(s));
        }
        g_stands.edit([&](std::vector<Stand>& v) { v = std::move(stands); });
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{IcaoCode("EDDF"),
                                IataCode("FRA"),
                                kScenarioApronLat,
                                kScenarioApronLon,
                                static_cast<float>(kElevationFt),
                                listedStands};
        g_reservedStand = reserved;
    }

    std::optional<sim::ObjectState> objectOf(const std::string& tail) const
    {
        for (const sim::ObjectState& o : const_cast<ParkingScenarioTest*>(this)->world().objects())
            if (o.atcId == tail)
                return o;
        return std::nullopt;
    }

    // The client events with this id sent to the object.
    std::vector<sim::CallRecord> eventsTo(std::uint32_t eventId, DWORD objectId) const
    {
        std::vector<sim::CallRecord> out;
        for (sim::CallRecord& r : events(eventId))
            if (r.args.value("object_id", 0u) == objectId)
                out.push_back(std::move(r));
        return out;
    }

    std::vector<sim::CallRecord> createsOf(const std::string& tail) const
    {
        std::vector<sim::CallRecord> out;
        for (sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
            if (r.args.value("tail", std::string()) == tail)
                out.push_back(std::move(r));
        return out;
    }
};

TEST_F(ParkingScenarioTest, ArrivalToStand)
{
    OBJECTID_LIST.current.store(true);
    // Rolls north at 12 kt from 300 m south of V2 and stops 10 m short of
    // it, a little off its centre line.
    const auto from = at(-300.0, 70.0);
    const auto stop = at(-10.0, 72.0);
    const double rollS = 290.0 / (12.0 * 1852.0 / 3600.0);
    start(groundUser(), trackScenario({track("3c4a01", "DLH4A1",
                                             {point(-20.0, from, 0.0, 12.0), point(rollS, stop, 0.0, 12.0),
                                              point(rollS + 1.0, stop, 0.0, 0.0),
                                              point(rollS + 150.0, stop, 0.0, 0.0)})}));
    loadApron();
    std::string infoWhileParked;
    runFor(260s,
           [&](std::int64_t ms)
           {
               if (ms == 250'000)
                   infoWhileParked = readFile(g_objectIdListTxtPath);
           });

    ASSERT_EQ(logWith("V2      : DLH4A1   arrived at stand").size(), 1u);
    const std::optional<sim::ObjectState> o = objectOf("DLH4A1");
    ASSERT_TRUE(o.has_value());
    const Stand& v2 = g_stands[1];
    EXPECT_LE(metresBetween(o->latDeg, o->lonDeg, v2.latitude, v2.longitude), 2.0);
    EXPECT_NEAR(o->headingDeg, 180.0, 1.0);
    EXPECT_FALSE(o->enginesRunning);
    EXPECT_EQ(o->lights & (sim::kLightBeacon | sim::kLightTaxi | sim::kLightLanding | sim::kLightStrobe), 0u);
    EXPECT_NE(o->lights & sim::kLightLogo, 0u);
    EXPECT_EQ(v2.occupied, 1);

    // The parked configuration went out after the last taxi setting.
    const auto last = [](const std::vector<sim::CallRecord>& v) { return v.empty() ? -1 : v.back().atMs; };
    const auto shutdown = eventsTo(kEngineAutoShutdown, o->id);
    ASSERT_FALSE(shutdown.empty());
    const auto throttle = eventsTo(kThrottleSet, o->id);
    const auto flaps = eventsTo(kFlapsSet, o->id);
    ASSERT_FALSE(throttle.empty());
    ASSERT_FALSE(flaps.empty());
    EXPECT_EQ(throttle.back().args.value("data", 1u), 0u);
    EXPECT_EQ(flaps.back().args.value("data", 1u), 0u);
    EXPECT_GE(last(shutdown), last(eventsTo(kEngineAutoStart, o->id)));

    EXPECT_NE(infoWhileParked.find(fmt::format("{};DLH4A1;D-AIA1;DLH;A320;GND;PARKED", o->id)), std::string::npos)
        << infoWhileParked;
}

// The airport list gives no stand count for most airports; the stands of the
// airport file that was read are what an arrival parks on.
TEST_F(ParkingScenarioTest, ArrivalParksThoughTheAirportListGivesNoStandCount)
{
    const auto from = at(-300.0, 70.0);
    const auto stop = at(-10.0, 72.0);
    const double rollS = 290.0 / (12.0 * 1852.0 / 3600.0);
    start(groundUser(), trackScenario({track("3c4a02", "DLH4A2",
                                             {point(-20.0, from, 0.0, 12.0), point(rollS, stop, 0.0, 12.0),
                                              point(rollS + 1.0, stop, 0.0, 0.0),
                                              point(rollS + 150.0, stop, 0.0, 0.0)})}));
    loadApron({}, 0);
    runFor(260s);

    ASSERT_EQ(logWith("V2      : DLH4A2   arrived at stand").size(), 1u);
    EXPECT_EQ(g_stands[1].occupied, 1);
}

TEST_F(ParkingScenarioTest, ALandedAircraftTaxiesToAStandAndParks)
{
    // Lands eastwards on a runway 400 m south of the apron, rolls out,
    // taxies back west on a taxiway 300 m south of it, turns north and stops
    // 10 m short of V3.
    const double kt = 1852.0 / 3600.0;
    const auto stop = at(-10.0, 142.0);
    const double approachS = 9000.0 / (140.0 * kt);
    const double rollS = approachS + 2.0 + 1160.0 / (77.5 * kt);
    const double taxiwayS = rollS + 100.0 / (17.5 * kt);
    const double westS = taxiwayS + 1158.0 / (15.0 * kt);
    const double inS = westS + 290.0 / (12.5 * kt);
    start(groundUser(),
          trackScenario({track("3c4a07", "DLH4A7",
                               {point(-20.0, at(-400.0, -9000.0), kElevationFt + 1500.0, 140.0),
                                point(approachS, at(-400.0, 0.0), kElevationFt + 50.0, 140.0),
                                point(approachS + 2.0, at(-400.0, 140.0), 0.0, 135.0),
                                point(rollS, at(-400.0, 1300.0), 0.0, 20.0),
                                point(taxiwayS, at(-300.0, 1300.0), 0.0, 15.0),
                                point(westS, at(-300.0, 142.0), 0.0, 15.0), point(inS, stop, 0.0, 10.0),
                                point(inS + 1.0, stop, 0.0, 0.0), point(inS + 120.0, stop, 0.0, 0.0)})}));
    loadApron();
    bool landed = false;
    runFor(std::chrono::milliseconds(static_cast<std::int64_t>((inS + 100.0) * 1000.0)),
           [&](std::int64_t)
           {
               for (const LiveAc& a : g_liveAircraft)
                   landed = landed || (a.touchdownMark != 0 && a.groundMode != 0);
           });

    EXPECT_TRUE(landed);
    ASSERT_EQ(logWith("V3      : DLH4A7   arrived at stand").size(), 1u);
    const std::optional<sim::ObjectState> o = objectOf("DLH4A7");
    ASSERT_TRUE(o.has_value());
    const Stand& v3 = g_stands[2];
    EXPECT_LE(metresBetween(o->latDeg, o->lonDeg, v3.latitude, v3.longitude), 2.0);
    EXPECT_NEAR(o->headingDeg, 180.0, 1.0);
    EXPECT_FALSE(o->enginesRunning);
}

TEST_F(ParkingScenarioTest, SpawnParked)
{
    // Reported standing 5 m from V3's centre for two minutes.
    const auto there = at(3.0, 144.0);
    start(groundUser(), trackScenario({track("3c4a02", "DLH4A2", {point(-30.0, there, 0.0, 0.0),
                                                                  point(120.0, there, 0.0, 0.0)})}));
    loadApron();
    // The first start in a process also processes the scanned liveries,
    // and its first aircraft comes later than on a repeated start.
    runFor(60s);

    const std::vector<sim::CallRecord> creates = createsOf("DLH4A2");
    ASSERT_EQ(creates.size(), 1u);
    const nlohmann::json& args = creates.front().args;
    const Stand& v3 = g_stands[2];
    EXPECT_DOUBLE_EQ(args.value("lat", 0.0), v3.latitude);
    EXPECT_DOUBLE_EQ(args.value("lon", 0.0), v3.longitude);
    EXPECT_NEAR(args.value("heading_deg", 0.0), 180.0, 1e-9);
    // On its wheels: the elevation and a centre of gravity above them.
    EXPECT_GT(args.value("alt_ft", 0.0), kElevationFt);
    EXPECT_LE(args.value("alt_ft", 0.0), kElevationFt + 15.0);
    EXPECT_EQ(logWith("V3      : DLH4A2   parks").size(), 1u);
    EXPECT_EQ(v3.occupied, 1);
}

struct DepartureCase
{
    const char* name;
    // The way off the stand (metres north, east), ahead of its nose (south)
    // or behind it, and how long it takes.
    std::pair<double, double> off;
    double offS;
    bool pullsOut;
};

class DepartureTest : public ParkingScenarioTest, public ::testing::WithParamInterface<DepartureCase>
{
};

// Stands at V1 for a minute, leaves the stand, taxies to a runway 400 m
// south of the apron, rolls east and lifts off.
TEST_P(DepartureTest, AParkedAircraftLeavesItsStandAndTakesOff)
{
    const DepartureCase& c = GetParam();
    const auto stand = at(0.0, 0.0);
    const auto off = at(c.off.first, c.off.second);
    const auto taxiEast = at(c.off.first, 300.0);
    const auto lineUp = at(-400.0, 300.0);
    const double taxiS = c.offS + 20.0 + 300.0 / (10.0 * 1852.0 / 3600.0);
    const double lineUpS = taxiS + std::fabs(-400.0 - c.off.first) / (10.0 * 1852.0 / 3600.0);
    start(groundUser(),
          trackScenario({track("3c4a03", "DLH4A3",
                               {point(-30.0, stand, 0.0, 0.0), point(60.0, stand, 0.0, 0.0),
                                point(61.0, stand, 0.0, 4.0), point(60.0 + c.offS, off, 0.0, 4.0),
                                point(80.0 + c.offS, off, 0.0, 10.0), point(taxiS, taxiEast, 0.0, 10.0),
                                point(lineUpS, lineUp, 0.0, 10.0), point(lineUpS + 40.0, lineUp, 0.0, 40.0),
                                point(lineUpS + 70.0, at(-400.0, 1800.0), 0.0, 150.0),
                                point(lineUpS + 80.0, at(-400.0, 2500.0), 0.0, 160.0),
                                point(lineUpS + 85.0, at(-400.0, 2900.0), 200.0, 165.0),
                                point(lineUpS + 120.0, at(-400.0, 9300.0), 2500.0, 170.0)})}));
    loadApron();
    double steepestPitch = 0.0;
    bool pushedBack = false;
    runFor(std::chrono::milliseconds(static_cast<std::int64_t>((lineUpS + 140.0) * 1000.0)),
           [&](std::int64_t)
           {
               if (const std::optional<sim::ObjectState> o = objectOf("DLH4A3"))
                   steepestPitch = std::max(steepestPitch, std::fabs(o->pitchDeg));
               for (const LiveAc& ac : g_liveAircraft)
                   pushedBack = pushedBack || ac.situation == kSituationPushingBack;
           });

    const std::optional<sim::ObjectState> o = objectOf("DLH4A3");
    ASSERT_TRUE(o.has_value());
    EXPECT_EQ(logWith("V1      : DLH4A3   parks").size(), 1u);
    EXPECT_EQ(logWith("V1      : DLH4A3   pulling out").size(), c.pullsOut ? 1u : 0u);
    EXPECT_EQ(pushedBack, !c.pullsOut);
    EXPECT_FALSE(eventsTo(kEngineAutoStart, o->id).empty());
    const auto on = [](const sim::CallRecord& r) { return r.args.value("data", 0u) == 1u; };
    EXPECT_TRUE(std::ranges::any_of(eventsTo(kTaxiLightsSet, o->id), on));
    // The take-off set: landing lights and strobes on for the roll.
    EXPECT_TRUE(std::ranges::any_of(eventsTo(kLandingLightsSet, o->id), on));
    EXPECT_TRUE(std::ranges::any_of(eventsTo(kStrobesSet, o->id), on));
    EXPECT_GT(steepestPitch, 5.0) << "rotation";
    const auto gear = eventsTo(kGearSet, o->id);
    EXPECT_TRUE(std::ranges::any_of(gear, [](const sim::CallRecord& r) { return r.args.value("data", 1u) == 0u; }));
    EXPECT_FALSE(o->onGround);
    EXPECT_GT(o->altFt, kElevationFt + 100.0);
    EXPECT_EQ(g_stands[0].occupied, 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, DepartureTest,
                         ::testing::Values(DepartureCase{"pulling_out", {-150.0, 0.0}, 75.0, true},
                                           DepartureCase{"pushback", {60.0, 0.0}, 30.0, false}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(ParkingScenarioTest, TheReservedAndTheUsersStandsAreNeverGiven)
{
    // The user stands on V1 and has reserved V3; two aircraft stop right on
    // them, a third on V2.
    sim::Scenario sim = groundUser();
    const auto v1 = at(0.0, 0.0);
    sim.user.pose.latDeg = v1.first;
    sim.user.pose.lonDeg = v1.second;
    const auto rollTo = [](std::string hex, std::string callsign, std::pair<double, double> stop)
    {
        const auto from = std::make_pair(stop.first - 250.0 / kMetresPerDegLat, stop.second);
        const double rollS = 250.0 / (12.0 * 1852.0 / 3600.0);
        return track(std::move(hex), std::move(callsign),
                     {point(-20.0, from, 0.0, 12.0), point(rollS, stop, 0.0, 12.0), point(rollS + 1.0, stop, 0.0, 0.0),
                      point(rollS + 150.0, stop, 0.0, 0.0)});
    };
    // Against the user's stand the aircraft would wait 150 m off; these stop
    // on the stands while the user is far enough for them to move.
    COLLISION_USER_GND.current.store(false);
    start(sim, trackScenario({rollTo("3c4a04", "DLH4A4", at(-2.0, 0.0)), rollTo("3c4a05", "DLH4A5", at(-2.0, 140.0)),
                              rollTo("3c4a06", "DLH4A6", at(-2.0, 70.0))}));
    loadApron("V3");
    runFor(240s);
    COLLISION_USER_GND.current.store(true);

    EXPECT_TRUE(logWith("V1      :").empty());
    EXPECT_TRUE(logWith("V3      :").empty());
    EXPECT_EQ(logWith("V2      : DLH4A6   arrived at stand").size(), 1u);
    for (const LiveAc& ac : g_liveAircraft)
    {
        EXPECT_NE(ac.standId, 1u) << ac.callsign;
        EXPECT_NE(ac.standId, 3u) << ac.callsign;
    }
    EXPECT_EQ(g_stands[0].occupied, 0);
    EXPECT_EQ(g_stands[2].occupied, 0);
    // They did stop on the stands they were refused.
    for (const auto& [tail, standIndex] : {std::pair{"DLH4A4", 0}, std::pair{"DLH4A5", 2}})
    {
        const std::optional<sim::ObjectState> o = objectOf(tail);
        ASSERT_TRUE(o.has_value()) << tail;
        const Stand& s = g_stands[static_cast<std::size_t>(standIndex)];
        EXPECT_LE(metresBetween(o->latDeg, o->lonDeg, s.latitude, s.longitude), 20.0) << tail;
    }
}

} // namespace
} // namespace ovr::test
