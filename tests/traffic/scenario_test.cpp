// Whole sessions in virtual time: scripted aircraft of the fake service
// reach the stand-in simulator, fly and go. The assertions read the
// stand-in's calls and objects, the log and the files the session writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "core/geometry.h"
#include "core/parameters.h"
#include "core/stop_request.h"
#include "core/window_requests.h"
#include "core/paths.h"
#include "simlink/sim_ids.h"
#include "traffic/flight_plans.h"
#include "traffic/live_aircraft.h"
#include "virtual_session.h"
#include "../support/test_files.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

// Where a track's aircraft was `t` seconds after the session's start.
LatLon trackAt(const fakert::Track& track, double t)
{
    const fakert::TrackPoint& a = track.points.front();
    const fakert::TrackPoint& b = track.points.back();
    const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
    return LatLon{a.pos.lat + (b.pos.lat - a.pos.lat) * f, a.pos.lon + (b.pos.lon - a.pos.lon) * f};
}

// The create call of the aircraft with that tail number, and its object.
struct Created
{
    sim::CallRecord create;
    DWORD objectId = 0;
    std::int64_t matchedMs = 0; // the link let go of the object: the created event
};

class ScenarioTest : public VirtualSession
{
  protected:
    Created created(const std::string& tail) const
    {
        Created c;
        for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
        {
            if (argText(r, "tail") == tail)
            {
                c.create = r;
            }
        }
        for (const sim::ObjectState& o : objectsSeen)
        {
            if (o.atcId == tail)
            {
                c.objectId = o.id;
            }
        }
        for (const sim::CallRecord& r : calls("SimConnect_AIReleaseControl"))
        {
            if (argNumber(r, "object_id") == c.objectId && c.matchedMs == 0)
            {
                c.matchedMs = r.atMs;
            }
        }
        return c;
    }

    // Remembers every object the simulator had, once a pass.
    void noteObjects()
    {
        for (const sim::ObjectState& o : world().objects())
        {
            if (!o.user && std::none_of(objectsSeen.begin(), objectsSeen.end(),
                                        [&](const sim::ObjectState& s) { return s.id == o.id; }))
            {
                objectsSeen.push_back(o);
            }
        }
    }

    std::vector<sim::ObjectState> objectsSeen;
};

// Two airliners crossing near the user aircraft, 180 s of track each.
std::vector<fakert::Track> crossingTracks()
{
    // The reported ground speeds match the distances flown: the motion
    // times its segments by them.
    const auto knots = [](LatLon a, LatLon b) { return gf_distanceNm(a, b) / 180.0 * 3600.0; };
    fakert::Track klm = straightTrack("484161", "KLM1234", "B738", "PH-BXA", {52.5, 2.75}, {52.5, 3.25}, 30000.0,
                                      knots({52.5, 2.75}, {52.5, 3.25}), -60.0, 180.0);
    klm.origin = "AMS";
    klm.destination = "LHR";
    fakert::Track dlh = straightTrack("3c6444", "DLH56", "A320", "D-AIZA", {52.35, 3.0}, {52.65, 3.0}, 31000.0,
                                      knots({52.35, 3.0}, {52.65, 3.0}), -60.0, 180.0);
    dlh.origin = "FRA";
    dlh.destination = "AMS";
    return {klm, dlh};
}

TEST_F(ScenarioTest, CruiseTwoAirlinersAppearFlyAndGo)
{
    OBJECTID_LIST.current.store(true);
    const std::vector<fakert::Track> tracks = crossingTracks();
    start(airborneUser(), trackScenario(tracks));
    std::map<DWORD, double> worstOffTrackNm;
    std::string infoFileMidway;
    std::map<DWORD, bool> planExistedAfterRemoval;
    runFor(260s,
           [&](std::int64_t ms)
           {
               noteObjects();
               for (const sim::ObjectState& o : world().objects())
               {
                   if (o.user || ms < 60000 || ms > 110000)
                   {
                       continue;
                   }
                   const fakert::Track& t = o.atcId == "KLM1234" ? tracks[0] : tracks[1];
                   const double off = gf_distanceNm(LatLon{o.latDeg, o.lonDeg},
                                                    trackAt(t, static_cast<double>(ms) / 1000.0 - 31.0));
                   worstOffTrackNm[o.id] = std::max(worstOffTrackNm[o.id], off);
               }
               if (ms == 150000)
               {
                   infoFileMidway = readFile(g_objectIdListTxtPath);
               }
           });

    const Created klm = created("KLM1234");
    const Created dlh = created("DLH56");
    ASSERT_NE(klm.objectId, 0u);
    ASSERT_NE(dlh.objectId, 0u);
    EXPECT_EQ(calls("SimConnect_AICreateNonATCAircraft").size(), 2u);
    EXPECT_EQ(argText(klm.create, "title"), "Boeing 737-800 KLM");
    EXPECT_EQ(argText(dlh.create, "title"), "Airbus A320 Lufthansa D-AIZB");

    for (const Created& c : {klm, dlh})
    {
        SCOPED_TRACE(c.objectId);
        // The static values asked once.
        const auto requests = calls("SimConnect_RequestDataOnSimObject");
        const auto staticRequests = std::count_if(requests.begin(), requests.end(),
                                                  [&](const sim::CallRecord& r)
                                                  {
                                                      return argNumber(r, "request_id") == kReqStaticValues &&
                                                             argNumber(r, "object_id") == c.objectId;
                                                  });
        EXPECT_EQ(staticRequests, 1);
        // The lights toggled at +0.5 and +1.0 s, then the activation at +2 s.
        std::vector<std::int64_t> toggles;
        for (const sim::CallRecord& r : events(kAllLightsToggle))
        {
            if (argNumber(r, "object_id") == c.objectId)
            {
                toggles.push_back(r.atMs - c.matchedMs);
            }
        }
        ASSERT_EQ(toggles.size(), 2u);
        EXPECT_NEAR(static_cast<double>(toggles[0]), 520.0, 40.0);
        EXPECT_NEAR(static_cast<double>(toggles[1]), 1020.0, 40.0);
        std::vector<std::uint32_t> activation;
        std::int64_t activatedMs = 0;
        for (const sim::CallRecord& r : calls("SimConnect_TransmitClientEvent"))
        {
            const auto id = static_cast<std::uint32_t>(argNumber(r, "event_id"));
            const bool freeze = id >= kFreezeLatLonSet && id <= kFreezeAttitudeSet;
            // Created in the air with the gear down: the cruise configuration
            // goes at once, before the activation.
            const bool creationConfig = activation.empty() && activatedMs == 0 && (id == kGearSet || id == kFlapsSet);
            if (creationConfig && argNumber(r, "object_id") == c.objectId)
            {
                EXPECT_LT(r.atMs - c.matchedMs, 500);
                continue;
            }
            if (argNumber(r, "object_id") == c.objectId && id != kAllLightsToggle && !freeze)
            {
                if (activation.empty())
                {
                    activatedMs = r.atMs - c.matchedMs;
                }
                activation.push_back(id);
            }
        }
        ASSERT_GE(activation.size(), 9u);
        EXPECT_EQ(std::vector<std::uint32_t>(activation.begin(), activation.begin() + 9),
                  (std::vector<std::uint32_t>{kEngineAutoStart, kSpoilersSet, kNavLightsSet, kBeaconLightsSet,
                                              kLandingLightsSet, kTaxiLightsSet, kStrobesSet, kLogoLightsSet,
                                              kCabinLightsSet}));
        EXPECT_NEAR(static_cast<double>(activatedMs), 2020.0, 40.0);
        // Moved on every frame from the activation to the removal.
        std::vector<std::int64_t> writes;
        for (const sim::CallRecord& r : calls("SimConnect_SetDataOnSimObject"))
        {
            if (argNumber(r, "object_id") == c.objectId && argNumber(r, "define_id") == kDefPosition)
            {
                writes.push_back(r.atMs);
            }
        }
        ASSERT_GT(writes.size(), 30u * 60u);
        std::int64_t widest = 0;
        for (std::size_t i = 1; i < writes.size(); ++i)
        {
            widest = std::max(widest, writes[i] - writes[i - 1]);
        }
        EXPECT_LE(widest, 40);
        EXPECT_LT(worstOffTrackNm[c.objectId], 0.5);
        // Removed after its stream ended, and its plan with it.
        const auto removals = calls("SimConnect_AIRemoveObject");
        EXPECT_EQ(std::count_if(removals.begin(), removals.end(),
                                [&](const sim::CallRecord& r) { return argNumber(r, "object_id") == c.objectId; }),
                  1);
        EXPECT_FALSE(world().object(c.objectId).has_value());
        EXPECT_FALSE(std::filesystem::exists(lf_flightPlanPath(c.objectId)));
    }

    // Both flight plans were handed to the simulator, and equal the golden file.
    const auto plans = calls("SimConnect_AISetAircraftFlightPlan");
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(argText(plans[0], "path"), lf_flightPlanPath(static_cast<std::uint32_t>(argNumber(plans[0], "object_id"))).string());

    std::istringstream lines(infoFileMidway);
    std::vector<std::string> listed;
    for (std::string line; std::getline(lines, line);)
    {
        listed.push_back(line);
    }
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected{fmt::format("{};DLH56;D-AIZA;DLH;A320;AIR;", dlh.objectId),
                                      fmt::format("{};KLM1234;PH-BXA;KLM;B738;AIR;", klm.objectId)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(world().objects().size() == 1u); // only the user aircraft is left
}

TEST_F(ScenarioTest, AFlightPlanIsTheGoldenFile)
{
    AiAircraftRecord ac;
    static_cast<FlightBase&>(ac).origin = FixedCode<3>("AMS");
    ac.destination = FixedCode<3>("LHR");
    ac.category = 2;
    std::filesystem::create_directories(g_flightPlanFolder);
    ASSERT_TRUE(lf_writeFlightPlan(lf_flightPlanPath(4242), ac));
    EXPECT_EQ(readFile(lf_flightPlanPath(4242)), readFile(std::filesystem::path(VORA_TRAFFIC_GOLDEN) / "ifr.pln"));
    ac.category = 5;
    ASSERT_TRUE(lf_writeFlightPlan(lf_flightPlanPath(4243), ac));
    EXPECT_NE(readFile(lf_flightPlanPath(4243)).find("<FPType>VFR</FPType>"), std::string::npos);
    std::filesystem::remove(lf_flightPlanPath(4242));
    std::filesystem::remove(lf_flightPlanPath(4243));
}


// Forty airliners flying east side by side, 1 to 40 NM north of the user,
// the farthest first in the feed (its members come in the order of their
// transponder ids).
std::vector<fakert::Track> burstTracks()
{
    std::vector<fakert::Track> tracks;
    for (int i = 1; i <= 40; ++i)
    {
        const double north = 52.5 + static_cast<double>(i) / 60.0;
        tracks.push_back(straightTrack(fmt::format("4b{:04x}", 41 - i), fmt::format("BRS{}", 100 + i), "A320",
                                       fmt::format("D-AB{:02}", i), {north, 2.6}, {north, 3.4}, 25000.0, 300.0,
                                       -60.0, 400.0));
    }
    return tracks;
}

TEST_F(ScenarioTest, PacingBurstKeepsTheLimitAndTheNearest)
{
    constexpr std::int32_t kMost = 10;
    MAX_LIVE_SEL.current.store(kMost);
    const std::vector<fakert::Track> tracks = burstTracks();
    start(airborneUser(), trackScenario(tracks), {"SimConnect_SetDataOnSimObject"});
    std::int64_t mostActive = 0;
    std::int64_t mostObjectsOverHeld = 0;
    runFor(150s,
           [&](std::int64_t)
           {
               noteObjects();
               std::int64_t active = 0;
               std::int64_t held = 0;
               for (const LiveAc& a : g_liveAircraft)
               {
                   active += a.simState == kSimStateActive ? 1 : 0;
                   held += a.simState != kSimStateBuffer ? 1 : 0;
               }
               mostActive = std::max(mostActive, active);
               const auto objects = static_cast<std::int64_t>(world().objects().size()) - 1;
               mostObjectsOverHeld = std::max(mostObjectsOverHeld, objects - held);
           });
    EXPECT_LE(mostActive, kMost);
    // Every object in the simulator is one the traffic logic holds.
    EXPECT_LE(mostObjectsOverHeld, 0);
    const auto creates = calls("SimConnect_AICreateNonATCAircraft");
    ASSERT_GT(creates.size(), static_cast<std::size_t>(kMost));
    for (std::size_t i = 1; i < creates.size(); ++i)
    {
        // 500 ms apart, give or take the 30 Hz frame that sends them.
        EXPECT_GE(creates[i].atMs - creates[i - 1].atMs, 500 - 34) << i;
    }
    // The farther ones made way: at the end the nearest fly.
    std::vector<std::string> flying;
    for (const LiveAc& a : g_liveAircraft)
    {
        if (a.simState == kSimStateActive)
        {
            flying.push_back(a.callsign);
        }
    }
    std::sort(flying.begin(), flying.end());
    std::vector<std::string> nearest;
    for (int i = 1; i <= kMost; ++i)
    {
        nearest.push_back(fmt::format("BRS{}", 100 + i));
    }
    std::sort(nearest.begin(), nearest.end());
    EXPECT_EQ(flying, nearest);
    EXPECT_GT(calls("SimConnect_AIRemoveObject").size(), 0u);
}

TEST_F(ScenarioTest, ARefusedTitleIsReportedAndNeverTriedAgain)
{
    sim::Scenario simulator = airborneUser();
    simulator.installed.acceptAll = false;
    simulator.installed.titles.push_back(sim::InstalledTitle{"Boeing 737-800 KLM", "B738"});
    // A failed title stays failed for the life of the process: this test
    // has its own.
    std::vector<fakert::Track> tracks = crossingTracks();
    tracks[1].type = "A321";
    tracks[1].registration = "D-AISX";
    start(simulator, trackScenario(tracks));
    runFor(90s);
    EXPECT_GE(nowMs(), 90000);
    std::size_t refused = 0;
    for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
    {
        refused += argText(r, "title") == "Airbus A321 Lufthansa D-AIDA" ? 1 : 0;
    }
    EXPECT_EQ(refused, 1u);
    EXPECT_EQ(logWith("DLH56 'Airbus A321 Lufthansa D-AIDA' could not be created by your Sim!").size(), 1u);
    EXPECT_EQ(world().objects().size(), 2u); // the user and the KLM
}

TEST_F(ScenarioTest, ABlockedCallsignIsNeverCreatedOrGoesAtOnce)
{
    BLOCK_CALLSIGN.setValue("DLH56");
    start(airborneUser(), trackScenario(crossingTracks()));
    std::int64_t blockedAt = 0;
    std::int64_t goneAt = 0;
    Created klm;
    runFor(60s,
           [&](std::int64_t ms)
           {
               noteObjects();
               if (klm.objectId == 0 && ms % 1000 == 0)
               {
                   klm = created("KLM1234");
               }
               const bool klmActive = std::any_of(g_liveAircraft.begin(), g_liveAircraft.end(),
                                                  [](const LiveAc& a)
                                                  { return a.callsign == "KLM1234" && a.simState == kSimStateActive; });
               if (blockedAt == 0 && klmActive && ms > 20000)
               {
                   BLOCK_CALLSIGN.setValue("KLM1234");
                   g_blockListChanged.store(1);
                   blockedAt = ms;
               }
               if (blockedAt != 0 && goneAt == 0 && !world().object(klm.objectId).has_value())
               {
                   goneAt = ms;
               }
           });
    std::size_t dlh = 0;
    for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
    {
        // Blocking another callsign unblocks this one.
        dlh += argText(r, "tail") == "DLH56" && r.atMs < blockedAt ? 1 : 0;
    }
    EXPECT_EQ(dlh, 0u);
    ASSERT_NE(blockedAt, 0);
    ASSERT_NE(goneAt, 0);
    EXPECT_LE(goneAt - blockedAt, 1500); // the next per-second step, the removal and its report
}

TEST_F(ScenarioTest, AFailingRangeRequestRestartsTheSession)
{
    start(airborneUser(), trackScenario(crossingTracks()));
    runFor(5s, [&](std::int64_t ms)
           {
               if (ms == 3000)
               {
                   world().failNextCalls("SimConnect_RequestDataOnSimObjectType", 1);
               }
           });
    EXPECT_EQ(logWith("SimConnect request ac within range fails").size(), 1u);
    EXPECT_EQ(logWith("SimConnect request error").size(), 1u);
    EXPECT_EQ(g_exitReason.load(), kExitSimConnectError);
}

TEST_F(ScenarioTest, MalformedArraysAreDroppedAndTheOthersFly)
{
    fakert::Scenario service = trackScenario(crossingTracks());
    service.traffic.badEntries = 12;
    // The defective entries borrow their identities from a fleet.
    service.fleet.push_back(fakert::Operator{"KLM", "KL", 1.0, 1, 999, {"AMS", "LHR"}, {{"B738", "PH-B??", "A3", 1.0}}});
    start(airborneUser(), service);
    runFor(30s, [&](std::int64_t) { noteObjects(); });
    EXPECT_NE(created("KLM1234").objectId, 0u);
    EXPECT_NE(created("DLH56").objectId, 0u);
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
}
} // namespace
} // namespace ovr::test
