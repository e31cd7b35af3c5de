// The intake pass by pass: records taken from the hand-over, the filters of
// a known aircraft's new records, the pacing of creations and removals, the
// records of an aircraft and the operations on its object.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/geometry.h"

#include "core/code_pool.h"
#include "core/globals.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "service/traffic_handover.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/received_traffic.h"
#include "virtual_session.h"

namespace ovr::test
{
namespace
{

// The session around a user aircraft without traffic; the test drives the
// passes itself.
class IntakeTest : public VirtualSession
{
  protected:
    void SetUp() override
    {
        VirtualSession::SetUp();
        start(airborneUser(), trackScenario({}));
        g_clock.store(0);
        {
            const std::lock_guard lock(g_trafficMutex);
            g_running = 1;
        }
    }

    // A B738 at cruise near the user.
    static TrafficRecord record(std::uint32_t hex, double dataTime, double groundSpeed = 450.0)
    {
        TrafficRecord r;
        r.hexId = hex;
        r.callsign = fmt::format("KLM{}", hex % 1000);
        r.registration = "PH-ABC";
        r.key.model = gf_modelId("B738");
        r.key.airline = gf_airlineId("KLM");
        r.sample.latitude = 52.6;
        r.sample.longitude = 3.1;
        r.sample.altitude = 30000.0;
        r.sample.groundSpeed = groundSpeed;
        r.sample.track = 90.0;
        r.sample.airborne = 1;
        r.dataTime = dataTime;
        return r;
    }

    static std::size_t waiting()
    {
        const std::lock_guard lock(g_trafficMutex);
        return g_trafficHandover.size();
    }
};

TEST_F(IntakeTest, SevenRecordsAreTakenTwoAPassFromTheBack)
{
    std::vector<TrafficRecord> batch;
    for (std::uint32_t i = 0; i < 7; ++i)
    {
        batch.push_back(record(0x400000 + i, 1000.0));
    }
    gf_queueReceivedTraffic(batch, kLivePlayOffset);
    std::vector<std::size_t> left;
    for (int pass = 0; pass < 4; ++pass)
    {
        lf_handleAddingStack();
        left.push_back(waiting());
    }
    EXPECT_EQ(left, (std::vector<std::size_t>{5, 3, 1, 0}));
    ASSERT_EQ(g_liveAircraft.size(), 7u);
    EXPECT_EQ(g_liveAircraft.front().aiKey, 0x400006u); // the last record first
    EXPECT_EQ(g_liveAircraft.back().aiKey, 0x400000u);
}

struct UpdateCase
{
    const char* label;
    double seconds;     // after the first record
    double groundSpeed; // of the second record
    double firstSpeed;
    bool taken;
};

class UpdateFilterTest : public IntakeTest, public ::testing::WithParamInterface<UpdateCase>
{
};

TEST_P(UpdateFilterTest, ASecondRecordIsTakenOrDropped)
{
    const UpdateCase& c = GetParam();
    TrafficRecord first = record(0x400100, 1000.0, c.firstSpeed);
    first.sample.airborne = c.firstSpeed > 60.0 ? 1 : 0;
    gf_takeReceivedAc(first);
    ASSERT_EQ(g_liveAircraft.size(), 1u);
    TrafficRecord second = record(0x400100, 1000.0 + c.seconds, c.groundSpeed);
    second.sample.airborne = first.sample.airborne;
    second.sample.longitude += 0.001; // moved on, not a repeat, within reach
    second.sample.track = 45.0;      // turned: the spacing rule does not apply
    gf_takeReceivedAc(second);
    EXPECT_EQ(g_liveAircraft.front().samples.size(), c.taken ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateFilterTest,
                         ::testing::Values(UpdateCase{"two_seconds_later", 2.0, 450.0, 450.0, true},
                                           UpdateCase{"same_time", 0.0, 450.0, 450.0, false},
                                           UpdateCase{"under_a_second_later", 0.8, 450.0, 450.0, false},
                                           UpdateCase{"ten_times_faster", 2.0, 60.0, 5.5, false},
                                           UpdateCase{"from_standing_to_90_kt", 2.0, 90.0, 4.0, false}),
                         [](const ::testing::TestParamInfo<UpdateCase>& i) { return std::string(i.param.label); });

// A record every step, each moved on by its speed over its seconds (plus a
// sideways jump where given).
struct RecordStep
{
    double seconds;
    double groundSpeed;
    double jumpNm; // sideways (north) beyond the way flown
};

struct SequenceCase
{
    const char* label;
    std::vector<RecordStep> steps;
    std::size_t samples; // in the stream afterwards
    bool removed;
};

class RecordSequenceTest : public IntakeTest, public ::testing::WithParamInterface<SequenceCase>
{
};

TEST_P(RecordSequenceTest, OneBadRecordIsRefusedWithoutLockingTheAircraftOut)
{
    const SequenceCase& c = GetParam();
    double t = 1000.0;
    double eastNm = 0.0;
    double northNm = 0.0;
    for (const RecordStep& step : c.steps)
    {
        t += step.seconds;
        eastNm += step.groundSpeed * step.seconds / 3600.0;
        northNm += step.jumpNm;
        TrafficRecord r = record(0x400200, t, step.groundSpeed);
        r.sample.airborne = step.groundSpeed > 100.0 ? 1 : 0;
        r.sample.altitude = r.sample.airborne != 0 ? 3000.0 : 0.0;
        const LatLon east = gf_destinationPoint({52.6, 3.1}, kPi / 2.0, eastNm * kFeetPerNm);
        const LatLon p = gf_destinationPoint(east, 0.0, northNm * kFeetPerNm);
        r.sample.latitude = p.lat;
        r.sample.longitude = p.lon;
        gf_takeReceivedAc(r);
    }
    ASSERT_EQ(g_liveAircraft.size(), 1u);
    EXPECT_EQ(g_liveAircraft.front().erase != 0, c.removed);
    if (!c.removed)
    {
        EXPECT_EQ(g_liveAircraft.front().samples.size(), c.samples);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordSequenceTest,
    ::testing::Values(
        SequenceCase{"hold_point_to_airborne_then_climbing", {{0, 11, 0}, {20, 129, 0}, {20, 135, 0}, {20, 140, 0}}, 3,
                     false},
        SequenceCase{"one_speed_glitch_while_standing", {{0, 4, 0}, {20, 90, 0}, {20, 4, 0}}, 2, false},
        SequenceCase{"a_jump_eight_miles_aside_is_refused", {{0, 450, 0}, {10, 450, 0}, {10, 450, 8}}, 2, false},
        SequenceCase{"a_jump_the_next_record_confirms_recreates", {{0, 450, 0}, {10, 450, 8}, {10, 450, 0}}, 0,
                     true}),
    [](const ::testing::TestParamInfo<SequenceCase>& i) { return std::string(i.param.label); });

TEST_F(IntakeTest, TheSameFlightUnderAnotherTransponderIdIsDropped)
{
    gf_takeReceivedAc(record(0x400200, 1000.0));
    TrafficRecord twin = record(0x400201, 1001.0);
    twin.callsign = g_liveAircraft.front().callsign;
    gf_takeReceivedAc(twin);
    EXPECT_EQ(g_liveAircraft.size(), 1u);
    TrafficRecord other = twin;
    other.key.model = gf_modelId("A320");
    gf_takeReceivedAc(other);
    EXPECT_EQ(g_liveAircraft.size(), 2u);
}

TEST_F(IntakeTest, AnUnknownTypeOrAnUnadmittedCategoryIsNotTaken)
{
    TrafficRecord unknown = record(0x400300, 1000.0);
    unknown.registration.clear();
    unknown.key.model = gf_modelId("ZZZZ");
    gf_takeReceivedAc(unknown);
    HELICOPTERS.current.store(false);
    TrafficRecord helicopter = record(0x400301, 1000.0);
    helicopter.registration.clear();
    helicopter.key.model = gf_modelId("EC35");
    gf_takeReceivedAc(helicopter);
    EXPECT_TRUE(g_liveAircraft.empty());
}

TEST_F(IntakeTest, CreationsGoEvery500MsLiveFirstAndRemovalsEvery100Ms)
{
    auto request = [](std::uint32_t key)
    {
        CreateRequest r;
        r.key = key;
        r.callsign = fmt::format("C{}", key);
        return r;
    };
    g_createQueueLive.push_back(request(20001));
    g_createQueueLive.push_back(request(20002));
    g_createQueueStatic.push_back(request(7));
    for (std::uint32_t id : {501u, 502u, 503u})
    {
        gf_queueObjectRemoval(id);
    }
    g_clock.store(1); // between two steps
    std::vector<std::pair<std::int64_t, std::uint32_t>> creates;
    std::vector<std::pair<std::int64_t, std::uint32_t>> removals;
    while (g_clock.load() < 200)
    {
        const std::int64_t at = g_clock.load();
        lf_handleAddingStack();
        const std::lock_guard lock(g_simConnectMutex);
        for (const CreateRequest& r : g_createRequests)
        {
            creates.emplace_back(at, r.key);
        }
        g_createRequests.clear();
        for (std::uint32_t id : g_removeRequests)
        {
            removals.emplace_back(at, id);
        }
        g_removeRequests.clear();
    }
    using Hits = std::vector<std::pair<std::int64_t, std::uint32_t>>;
    EXPECT_EQ(creates, (Hits{{50, 20001}, {100, 20002}, {150, 7}}));
    EXPECT_EQ(removals, (Hits{{10, 501}, {20, 502}, {30, 503}}));
}

TEST_F(IntakeTest, RemovingTakesBackOnlyTheAircraftsOwnQueuedCreation)
{
    for (std::uint32_t key : {30001u, 30002u})
    {
        CreateRequest r;
        r.key = key;
        r.callsign = "SAME1"; // two aircraft under one callsign
        g_createQueueLive.push_back(r);
    }
    LiveAc ac;
    ac.aiKey = 30002;
    ac.callsign = "SAME1";
    ac.simState = kSimStateAdding;
    removeAircraftFromSim(ac);
    EXPECT_EQ(ac.createCancelled, 1);
    ASSERT_EQ(g_createQueueLive.size(), 1u);
    EXPECT_EQ(g_createQueueLive.front().key, 30001u);
}

struct RemovalCase
{
    const char* label;
    std::uint32_t state;
    bool queued; // its creation is still in the live queue
    std::uint8_t erase;
    std::uint8_t cancelled;
    std::uint8_t removeWhenCreated;
    std::size_t removals;
};

class RemovalByStateTest : public IntakeTest, public ::testing::WithParamInterface<RemovalCase>
{
};

TEST_P(RemovalByStateTest, RemovalFollowsTheState)
{
    const RemovalCase& c = GetParam();
    LiveAc ac;
    ac.aiKey = 40001;
    ac.callsign = "ABC1";
    ac.objectId = 77;
    ac.simState = c.state;
    if (c.queued)
    {
        CreateRequest r;
        r.key = ac.aiKey;
        r.callsign = ac.callsign;
        g_createQueueLive.push_back(r);
    }
    removeAircraftFromSim(ac);
    removeAircraftFromSim(ac); // asked twice: still one removal
    EXPECT_EQ(ac.erase, c.erase);
    EXPECT_EQ(ac.createCancelled, c.cancelled);
    EXPECT_EQ(ac.removeWhenCreated, c.removeWhenCreated);
    EXPECT_EQ(g_removalQueue.size(), c.removals);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalByStateTest,
    ::testing::Values(RemovalCase{"buffer", kSimStateBuffer, false, 1, 0, 0, 0},
                      RemovalCase{"queued_creation", kSimStateAdding, true, 0, 1, 0, 0},
                      RemovalCase{"creation_under_way", kSimStateAdding, false, 0, 0, 1, 0},
                      RemovalCase{"active", kSimStateActive, false, 0, 0, 0, 1},
                      RemovalCase{"respawning", kSimStateLiveryRespawn, false, 0, 0, 0, 1}),
    [](const ::testing::TestParamInfo<RemovalCase>& i) { return std::string(i.param.label); });

TEST_F(IntakeTest, FlapsAndThrottleAreSentOnChangeOnly)
{
    LiveAc ac;
    ac.objectId = 88;
    ac.category = 2;
    gf_setFlaps(ac, 4); // the unknown value: stored, never sent
    gf_setFlaps(ac, 1);
    gf_setFlaps(ac, 1);
    gf_setThrottle(ac, 2);
    gf_setThrottle(ac, 2);
    gf_setFlaps(ac, 7);
    ac.category = 5; // rotorcraft: no flaps, spoilers or gear
    gf_setFlaps(ac, 2);
    gf_setSpoilers(ac, true);
    gf_setGear(ac, true);
    gf_setThrottle(ac, 4);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sent;
    {
        const std::lock_guard lock(g_simConnectMutex);
        for (const ClientEventCmd& e : g_clientEvents)
        {
            sent.emplace_back(e.eventId, e.data);
        }
        g_clientEvents.clear();
    }
    using Sent = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    EXPECT_EQ(sent, (Sent{{kFlapsSet, 3072}, {kThrottleSet, 8191}, {kThrottleSet, 16383}}));
    EXPECT_EQ(logWith("gf_setFlaps: invalid flaps index").size(), 1u);
}

TEST_F(IntakeTest, TheInfoFileListsActiveAircraftOnly)
{
    LiveAc a;
    a.objectId = 255;
    a.callsign = "KLM1";
    a.registration = "PH-BXA";
    a.key.airline = gf_airlineId("KLM");
    a.key.model = gf_modelId("B738");
    a.simState = kSimStateActive;
    LiveAc parked = a;
    parked.callsign = "KLM2";
    parked.groundMode = 1;
    parked.situation = kSituationParked;
    LiveAc waiting = a;
    waiting.simState = kSimStateBuffer;
    g_liveAircraft = {a, parked, waiting};
    EXPECT_EQ(lf_liveAcLines(), (std::vector<std::string>{"255;KLM1;PH-BXA;KLM;B738;AIR;",
                                                          "255;KLM2;PH-BXA;KLM;B738;GND;PARKED"}));
    g_simIs2020.store(0);
    EXPECT_EQ(lf_liveAcLines().front(), "ff;KLM1;PH-BXA;KLM;B738;AIR;");
    EXPECT_TRUE(gf_updateLiveCallsignList());
    EXPECT_EQ(*g_callsignChoices, (std::vector<std::string>{"KLM1"})); // a parked one is not offered
}


// A live aircraft with two samples near the user, in the given state.
LiveAc liveAt(std::uint32_t key, std::uint32_t state, std::uint32_t objectId)
{
    LiveAc ac;
    ac.aiKey = key;
    ac.callsign = fmt::format("TST{}", key % 100);
    ac.simState = state;
    ac.objectId = objectId;
    ac.category = 2;
    // Its lights and cruise configuration are set: a segment start queues no events.
    ac.airConfigDone = 1;
    ac.lastFlapsIndex = 0;
    ac.motion.gearDown = 0;
    PositionSample s;
    s.latitude = 52.6;
    s.longitude = 3.1;
    s.altitude = 30000.0;
    s.airborne = 1;
    ac.samples = {s, s};
    ac.samples[1].longitude += 0.01;
    ac.samples[1].playMoment = 100000;
    return ac;
}

void pushEvent(const SimEvent& e)
{
    gf_pushSimEvent(e);
}

TEST_F(IntakeTest, ReportsOfTheSimulatorActOnTheirAircraft)
{
    g_liveAircraft = {liveAt(50001, kSimStateActive, 301), liveAt(50002, kSimStateAdding, 0),
                      liveAt(50003, kSimStateActive, 303)};
    CreateRequest queued;
    queued.key = 50002;
    queued.callsign = g_liveAircraft[1].callsign;
    g_createQueueLive.push_back(queued);
    pushEvent({301, 0, 0, kSimEventStaticValues, 4.5, 3.0 * kDegToRad});   // pitch beyond 2.5 degrees
    pushEvent({303, 0, 0, kSimEventStaticValues, 40.0, -0.5 * kDegToRad}); // CG beyond 35 ft: kept
    pushEvent({0, 50002, 0, kSimEventBlockedCallsign, 0.0, 0.0});         // blocked while being created
    pushEvent({999, 59999, 0, kSimEventLiveCreated, 0.0, 2000.0});        // a request no longer known
    lf_onGroundSlots();
    EXPECT_DOUBLE_EQ(g_liveAircraft[0].staticCgHeight, 4.5);
    EXPECT_NEAR(g_liveAircraft[0].staticPitch, 0.7 * kDegToRad, 1e-12);
    EXPECT_DOUBLE_EQ(g_liveAircraft[2].staticCgHeight, 0.0);
    EXPECT_NEAR(g_liveAircraft[2].staticPitch, -0.5 * kDegToRad, 1e-12);
    EXPECT_EQ(g_liveAircraft[1].createCancelled, 1);
    EXPECT_TRUE(g_createQueueLive.empty());
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{999}));
}

TEST_F(IntakeTest, AnObjectRemovedDuringALiveryRespawnIsCreatedAgain)
{
    g_liveAircraft = {liveAt(50011, kSimStateLiveryRespawn, 311), liveAt(50012, kSimStateRemoving, 312)};
    pushEvent({311, 0, 0, kSimEventRemoved, 0.0, 0.0});
    pushEvent({312, 0, 0, kSimEventRemoved, 0.0, 0.0});
    lf_onGroundSlots();
    ASSERT_EQ(g_liveAircraft.size(), 1u);
    EXPECT_EQ(g_liveAircraft[0].simState, kSimStateBuffer);
    EXPECT_EQ(g_liveAircraft[0].objectId, 0u);
    EXPECT_EQ(g_liveAircraft[0].lastThrottleIndex, 5u);
}

TEST_F(IntakeTest, AnAircraftWithoutCallsignLeavesTheAddingStackErased)
{
    LiveAc nameless = liveAt(50021, kSimStateAdding, 0);
    nameless.callsign.clear();
    g_liveAircraft = {nameless};
    g_addingStack = {50021};
    lf_handleAddingStack();
    EXPECT_TRUE(g_createQueueLive.empty());
    EXPECT_EQ(logWith("lf_handleAddingStack").size(), 1u);
    lf_handleAddingStack(); // the next pass drops it
    EXPECT_TRUE(g_liveAircraft.empty());
}

TEST_F(IntakeTest, APassWhileTheLinkHoldsItsMutexSendsNoPositions)
{
    g_liveAircraft = {liveAt(50031, kSimStateActive, 331), liveAt(50032, kSimStateActive, 332)};
    // A pass between the paced steps: the only use of the mutex is the
    // buffer swap's try-lock, so the pass never waits for it.
    g_clock.store(1);
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_posUpdates[1]->clear();
        std::thread pass([] { lf_handleAddingStack(); });
        pass.join();
        EXPECT_TRUE(g_posUpdates[1]->empty());
        EXPECT_TRUE(g_posUpdates[0]->empty());
    }
    lf_handleAddingStack();
    const std::lock_guard lock(g_simConnectMutex);
    EXPECT_EQ(g_posUpdates[1]->size(), 2u);
}

TEST_F(IntakeTest, AnAircraftWithOneSampleAtItsMomentGoesWithoutASimulatorCall)
{
    gf_takeReceivedAc(record(0x400400, 1000.0));
    ASSERT_EQ(g_liveAircraft.size(), 1u);
    g_liveAircraft[0].samples.front().playMoment = g_clock.load();
    lf_handleAddingStack();
    lf_handleAddingStack();
    EXPECT_TRUE(g_liveAircraft.empty());
    EXPECT_TRUE(g_addingStack.empty());
}

// An active aircraft `nm` east of the user.
LiveAc eastOfUser(std::uint32_t key, double nm, double northFeet = 0.0)
{
    LiveAc ac = liveAt(key, kSimStateActive, key - 50000 + 400);
    const LatLon east = gf_destinationPoint(LatLon{g_userPos.latitude, g_userPos.longitude}, kPi / 2.0, nm * kFeetPerNm);
    const LatLon p = gf_destinationPoint(east, 0.0, northFeet);
    ac.cur.latitude = p.lat;
    ac.cur.longitude = p.lon;
    return ac;
}

struct FarthestCase
{
    const char* label;
    double limitNm;
    std::vector<double> distances;
    int removed; // index of the one removed, -1 none
};

class FarthestTest : public IntakeTest, public ::testing::WithParamInterface<FarthestCase>
{
};

TEST_P(FarthestTest, TheFarthestBeyondTheLimitAndMarginGoes)
{
    const FarthestCase& c = GetParam();
    for (std::size_t i = 0; i < c.distances.size(); ++i)
    {
        g_liveAircraft.push_back(eastOfUser(50100 + static_cast<std::uint32_t>(i), c.distances[i]));
    }
    EXPECT_EQ(gf_removeFarthestLiveAc(c.limitNm), c.removed < 0);
    for (std::size_t i = 0; i < g_liveAircraft.size(); ++i)
    {
        EXPECT_EQ(g_liveAircraft[i].simState == kSimStateRemoving, static_cast<int>(i) == c.removed) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FarthestTest,
                         ::testing::Values(FarthestCase{"within_the_margin", 5.0, {4.9, 5.05}, -1},
                                           FarthestCase{"beyond_the_margin", 5.0, {5.2, 4.9, 6.0}, 2},
                                           FarthestCase{"any_with_a_negative_limit", -1.0, {0.5, 0.2}, 0}),
                         [](const ::testing::TestParamInfo<FarthestCase>& i) { return std::string(i.param.label); });

struct UserTrackCase
{
    const char* label;
    double userAboveGroundFt;
    bool removed;
};

class UserTrackTest : public IntakeTest, public ::testing::WithParamInterface<UserTrackCase>
{
};

TEST_P(UserTrackTest, AGroundAircraftOnTheLowUsersTrackGoes)
{
    const UserTrackCase& c = GetParam();
    g_userPos.heading = kPi / 2.0; // the user flies east
    g_userPos.altitudeAboveGround = c.userAboveGroundFt;
    g_userPos.altitude = 20000.0;
    LiveAc ac = eastOfUser(50200, 0.8, 40.0); // 40 ft beside the track, 0.8 NM ahead
    ac.groundMode = 1;
    ac.cur.altitude = 0.0;
    g_liveAircraft = {ac};
    gf_avoidCollisionUserAir();
    EXPECT_EQ(g_liveAircraft[0].simState == kSimStateRemoving, c.removed);
}

INSTANTIATE_TEST_SUITE_P(Cases, UserTrackTest,
                         ::testing::Values(UserTrackCase{"user_at_300_ft", 300.0, true},
                                           UserTrackCase{"user_at_600_ft", 600.0, false}),
                         [](const ::testing::TestParamInfo<UserTrackCase>& i) { return std::string(i.param.label); });
} // namespace
} // namespace ovr::test
