// The queues to the simulator and the events back: creation and matching,
// failed creations, removals, client events, position updates, request
// errors, and the objects that are never touched.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "queue_fixture.h"
#include "simlink/user_aircraft.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

struct CreateCase
{
    const char* label;
    std::uint32_t key;
    double aboveGroundFt;
    std::uint32_t type;
    double b;
};

class Creation : public QueueTest, public ::testing::WithParamInterface<CreateCase>
{
};

TEST_P(Creation, IsMatchedByTheObjectIdAssignedToItsRequest)
{
    const CreateCase& c = GetParam();
    begin();
    gf_queueCreateAc(request("DLH4AB", c.key, kTitle, c.aboveGroundFt));
    step();

    const std::vector<sim::CallRecord> creates = calls("SimConnect_AICreateNonATCAircraft");
    ASSERT_EQ(creates.size(), 1U);
    EXPECT_EQ(creates[0].args.at("title"), kTitle);
    EXPECT_EQ(creates[0].args.at("tail"), "DLH4AB");
    const auto requestId = creates[0].args.at("request_id").get<std::uint32_t>();
    EXPECT_GE(requestId, kReqCreateFirst);
    ASSERT_EQ(g_pendingCreates.size(), 1U);
    EXPECT_EQ(g_pendingCreates[0].sendId, creates[0].packetId);
    EXPECT_EQ(g_pendingCreates[0].key, c.key);
    EXPECT_EQ(g_pendingCreates[0].requestId, requestId);

    // No nearby report is asked for: the assignment and the object's own
    // ground data are enough.
    clearCalls();
    frames(8);
    const std::vector<SimEvent> events = takeEvents();
    ASSERT_EQ(events.size(), 1U);
    const DWORD object = events[0].objectId;
    EXPECT_GT(object, g_userObjectId.load());
    EXPECT_EQ(world().object(object)->atcId, "DLH4AB");
    EXPECT_EQ(events[0].key, c.key);
    EXPECT_EQ(events[0].type, c.type);
    EXPECT_EQ(events[0].a, 0.0);
    EXPECT_NEAR(events[0].b, c.b, 1e-6);
    EXPECT_TRUE(g_pendingCreates.empty());
    EXPECT_TRUE(g_newObjectIds.empty());

    const std::vector<sim::CallRecord> released = calls("SimConnect_AIReleaseControl");
    ASSERT_EQ(released.size(), 1U);
    EXPECT_EQ(released[0].args, (nlohmann::json{{"object_id", object}, {"request_id", 103}}));

    step(); // the freeze events go out on the next frame
    std::vector<std::pair<DWORD, DWORD>> sent;
    for (const sim::CallRecord& t : calls("SimConnect_TransmitClientEvent"))
    {
        sent.emplace_back(t.args.at("event_id").get<DWORD>(), t.args.at("data").get<DWORD>());
    }
    EXPECT_EQ(sent, (std::vector<std::pair<DWORD, DWORD>>{{214, 1}, {215, 1}, {216, 1}}));
    const sim::ObjectState state = *world().object(object);
    EXPECT_TRUE(state.frozenLatLon && state.frozenAltitude && state.frozenAttitude && state.aiReleased);
}

INSTANTIATE_TEST_SUITE_P(Keys, Creation,
                         ::testing::Values(CreateCase{"LiveAirborne", 0x3C6444, 1500.0, kSimEventLiveCreated,
                                                      1500.0},
                                           CreateCase{"LiveOnGround", 10001, 0.0, kSimEventLiveCreated, 0.0},
                                           CreateCase{"Static", 10000, 1500.0, kSimEventStaticCreated, 0.0}),
                         caseLabel<CreateCase>);

struct PlaceCase
{
    const char* label;
    double northKm; // from the user aircraft
    double aboveGroundFt;
};

class Placement : public QueueTest, public ::testing::WithParamInterface<PlaceCase>
{
};

// Two creates with one callsign, each confirmed as the object put where its
// own create asked, wherever that is from the user aircraft; a nearby report
// of the usual radius changes nothing.
TEST_P(Placement, EachCreateGetsItsOwnObject)
{
    const PlaceCase& c = GetParam();
    begin();
    const double north = 50.04 + c.northKm / 111.2;
    CreateRequest first = request("SAME1", 20001, kTitle, c.aboveGroundFt);
    first.initPosition.Latitude = north;
    CreateRequest second = first;
    second.key = 20002;
    second.initPosition.Latitude = north + 0.01;
    gf_queueCreateAc(first);
    gf_queueCreateAc(second);
    frames(6);
    requestNearby();
    frames(4);
    std::vector<SimEvent> events = takeEvents();
    std::erase_if(events, [](const SimEvent& e) { return e.type != kSimEventLiveCreated; });
    ASSERT_EQ(events.size(), 2U);
    for (const SimEvent& e : events)
    {
        const double lat = e.key == 20001 ? first.initPosition.Latitude : second.initPosition.Latitude;
        EXPECT_NEAR(world().object(e.objectId)->latDeg, lat, 1e-6) << e.key;
        EXPECT_NEAR(e.b, c.aboveGroundFt, 1.0) << e.key;
    }
    EXPECT_NE(events[0].key, events[1].key);
    EXPECT_TRUE(g_pendingCreates.empty());
    EXPECT_TRUE(g_newObjectIds.empty());
}

INSTANTIATE_TEST_SUITE_P(FromTheUser, Placement,
                         ::testing::Values(PlaceCase{"Near", 1.0, 1500.0}, PlaceCase{"FarAbove", 60.0, 9000.0},
                                           PlaceCase{"FarStanding", 60.0, 0.0}),
                         caseLabel<PlaceCase>);

class Matching : public QueueTest
{
};

TEST_F(Matching, ForeignAircraftAreLoggedAndYieldNoEvent)
{
    begin();
    sim::ForeignAircraft nameless;
    nameless.pose = standingNearby();
    const DWORD quiet = world().addForeign(nameless);
    sim::ForeignAircraft generated = nameless;
    generated.atcId = "AS-GEN";
    world().addForeign(generated);
    world().addForeign(generated);
    step();
    ASSERT_EQ(g_newObjectIds.size(), 3U);

    requestNearby();
    step();
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_TRUE(g_newObjectIds.empty());
    EXPECT_EQ(logCount(fmt::format("just spawned, but not by Vora, oid: {}, callsign '', altaboveGnd:0 ft, "
                                   "onground:1, gnd_alt:364 ft",
                                   quiet)),
              1);
    EXPECT_EQ(logCount("Spawned by Asobo, oid:"), 1) << "written once per session";
}

TEST_F(Matching, AnObjectGoneBeforeItsReportIsForgotten)
{
    begin();
    sim::ForeignAircraft other;
    other.pose = standingNearby();
    const DWORD id = world().addForeign(other);
    step();
    ASSERT_EQ(g_newObjectIds, std::vector<std::uint32_t>{id});
    world().apply(sim::script::RemoveForeign{id});
    step();
    EXPECT_TRUE(g_newObjectIds.empty());
    const std::vector<SimEvent> events = takeEvents();
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].objectId, id);
    EXPECT_EQ(events[0].type, kSimEventRemoved);
}

struct GroundCase
{
    const char* label;
    std::string atcId;
    double aboveGroundFt; // 0: standing
    bool event;
};

class GroundData : public QueueTest, public ::testing::WithParamInterface<GroundCase>
{
};

TEST_P(GroundData, OfKnownObjectsOnlyWhenLowAndNamed)
{
    const GroundCase& c = GetParam();
    sim::Scenario s = baseScenario();
    sim::ForeignAircraft known;
    known.objectId = 40;
    known.atcId = c.atcId;
    known.pose = standingNearby();
    if (c.aboveGroundFt > 0.0)
    {
        known.pose.altFt = kGroundFt + c.aboveGroundFt;
        known.pose.onGround = false;
    }
    s.foreign.push_back(known);
    begin(s);

    requestNearby();
    step();
    const std::vector<SimEvent> events = takeEvents();
    if (!c.event)
    {
        EXPECT_TRUE(events.empty());
        return;
    }
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].objectId, 40U);
    EXPECT_EQ(events[0].type, kSimEventGroundData);
    EXPECT_EQ(events[0].key, c.aboveGroundFt > 0.0 ? 0U : 1U);
    EXPECT_EQ(events[0].a, kGroundFt);
    EXPECT_NEAR(events[0].b, c.aboveGroundFt, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Filter, GroundData,
                         ::testing::Values(GroundCase{"Standing", "DLH1", 0.0, true},
                                           GroundCase{"At2500ft", "DLH1", 2500.0, true},
                                           GroundCase{"At2600ft", "DLH1", 2600.0, false},
                                           GroundCase{"Starred", "DLH1*", 0.0, false},
                                           GroundCase{"NoAtcId", "", 0.0, false}),
                         caseLabel<GroundCase>);

class Outcomes : public QueueTest
{
};

TEST_F(Outcomes, AnUninstalledTitleFailsWithItsKey)
{
    sim::Scenario s = baseScenario();
    s.installed.acceptAll = false;
    s.installed.titles.push_back({std::string(kTitle), "A320"});
    begin(s);

    gf_queueCreateAc(request("DLH1", 0x3C0001, "Not Installed"));
    gf_queueCreateAc(request("DLH2", 0x3C0002));
    frames(8);

    const std::vector<SimEvent> events = takeEvents();
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].type, kSimEventCreateFailed);
    EXPECT_EQ(events[0].objectId, 0U);
    EXPECT_EQ(events[0].key, 0x3C0001U);
    EXPECT_EQ(events[1].type, kSimEventLiveCreated);
    EXPECT_EQ(events[1].key, 0x3C0002U);
    EXPECT_TRUE(g_pendingCreates.empty());
}

TEST_F(Outcomes, ARemovalIsReportedBack)
{
    begin();
    const DWORD object = createOwn("DLH1", 0x3C0001);
    queueRemove(object);
    frames(3);
    const std::vector<sim::CallRecord> removes = calls("SimConnect_AIRemoveObject");
    ASSERT_EQ(removes.size(), 1U);
    EXPECT_EQ(removes[0].args, (nlohmann::json{{"object_id", object}, {"request_id", 105}}));
    const std::vector<SimEvent> events = takeEvents();
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].objectId, object);
    EXPECT_EQ(events[0].type, kSimEventRemoved);
    EXPECT_FALSE(world().object(object).has_value());
}

TEST_F(Outcomes, ProducersAreSentInQueueOrder)
{
    begin();
    const DWORD object = createOwn("DLH1", 0x3C0001);
    gf_setLights(object, std::array<std::uint32_t, 7>{1, 1, 0, 0, 1, 1, 0});
    gf_engineStart(object);
    gf_setNavLights(object, 0);
    gf_setCabinLights(object, 1);
    gf_engineShutdown(object);
    queuePositions({PosUpdate{50.05, 8.57, 0.0, 0.0, 1.0, 2000.0, 0.0, 160.0, object}});
    step();

    std::vector<std::pair<DWORD, DWORD>> sent;
    for (const sim::CallRecord& t : calls("SimConnect_TransmitClientEvent"))
    {
        EXPECT_EQ(t.args.at("object_id"), object);
        EXPECT_EQ(t.args.at("group_id"), 301);
        EXPECT_EQ(t.args.at("flags"), 0);
        sent.emplace_back(t.args.at("event_id").get<DWORD>(), t.args.at("data").get<DWORD>());
    }
    EXPECT_EQ(sent, (std::vector<std::pair<DWORD, DWORD>>{{207, 1},
                                                          {206, 1},
                                                          {210, 0},
                                                          {208, 0},
                                                          {209, 1},
                                                          {212, 1},
                                                          {211, 0},
                                                          {220, 0},
                                                          {207, 0},
                                                          {211, 1},
                                                          {221, 0}}));
    const std::vector<sim::CallRecord> positions = calls("SimConnect_SetDataOnSimObject");
    ASSERT_EQ(positions.size(), 1U);
    EXPECT_EQ(positions[0].args.at("define_id"), 402);
    EXPECT_EQ(positions[0].args.at("unit_size"), 64);
    EXPECT_EQ(positions[0].args.at("array_count"), 0);
    const sim::ObjectState state = *world().object(object);
    EXPECT_DOUBLE_EQ(state.latDeg, 50.05);
    EXPECT_DOUBLE_EQ(state.altFt, 2000.0);
    EXPECT_TRUE(g_posUpdates[1]->empty());
    EXPECT_TRUE(g_clientEvents.empty());
}

TEST_F(Outcomes, FlapsAreWrappedInTwoReleases)
{
    begin();
    const DWORD object = createOwn("DLH1", 0x3C0001);
    queueEvent({object, kFlapsSet, 3072});
    queueEvent({object, kGearSet, 1});
    step();

    std::vector<std::string> sequence;
    for (const sim::CallRecord& c : calls())
    {
        if (c.fn == "SimConnect_AIReleaseControl")
        {
            EXPECT_EQ(c.args, (nlohmann::json{{"object_id", object}, {"request_id", 103}}));
            sequence.push_back("release");
        }
        else if (c.fn == "SimConnect_TransmitClientEvent")
        {
            sequence.push_back(std::to_string(c.args.at("event_id").get<DWORD>()));
        }
    }
    EXPECT_EQ(sequence, (std::vector<std::string>{"release", "217", "release", "219"}));
    EXPECT_GT(world().object(object)->flapsPercent, 0.0);
}

TEST_F(Outcomes, AFailedEventIsOnlyShown)
{
    begin();
    const DWORD object = createOwn("DLH1", 0x3C0001);
    world().failNextCalls("SimConnect_TransmitClientEvent", 1);
    queueEvent({object, kFlapsSet, 16383});
    step();
    EXPECT_EQ(calls("SimConnect_AIReleaseControl").size(), 1U) << "no second release after a failure";
    EXPECT_EQ(gf_statusTexts().status, "SimConnect TransmitClientEvent: 217 fails");
    EXPECT_EQ(logCount("SimConnect TransmitClientEvent: 217 fails"), 1);
    EXPECT_EQ(g_simConnectError.load(), 0);
    EXPECT_EQ(g_stop.load(), 0);
}

struct FailureCase
{
    const char* label;
    const char* fn;
    const char* warning;
};

class RequestError : public QueueTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(RequestError, StopsForARestartAndEmptiesTheQueues)
{
    const FailureCase& c = GetParam();
    begin();
    world().failNextCalls(c.fn, 1);
    gf_queueCreateAc(request("DLH1", 0x3C0001));
    queueRemove(77);
    step();

    EXPECT_EQ(logCount(c.warning), 1);
    EXPECT_EQ(gf_statusTexts().status, "SimConnect request error");
    EXPECT_EQ(g_simConnectError.load(), 1);
    EXPECT_EQ(g_exitReason.load(), kExitSimConnectError);
    EXPECT_EQ(g_restartDelay.load(), 9);

    clearCalls();
    gf_queueCreateAc(request("DLH2", 0x3C0002));
    gf_setNavLights(99, 1);
    queueRemove(99);
    queuePositions({PosUpdate{50.05, 8.57, 0.0, 0.0, 1.0, 2000.0, 0.0, 160.0, 99}});
    step();
    for (const char* fn : {"SimConnect_AICreateNonATCAircraft", "SimConnect_TransmitClientEvent",
                           "SimConnect_AIRemoveObject", "SimConnect_SetDataOnSimObject"})
    {
        EXPECT_TRUE(calls(fn).empty()) << fn;
    }
    EXPECT_TRUE(g_createRequests.empty());
    EXPECT_TRUE(g_clientEvents.empty());
    EXPECT_TRUE(g_removeRequests.empty());
    EXPECT_TRUE(g_posUpdates[1]->empty());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RequestError,
    ::testing::Values(
        FailureCase{"Create", "SimConnect_AICreateNonATCAircraft",
                    "! Simcon call to create ac in sim failed, hexid:3932161, liv: 'Airbus A320 Lufthansa', "
                    "callsign: DLH1)"},
        FailureCase{"Remove", "SimConnect_AIRemoveObject",
                    " !SimConnect call to remove AI ac from sim failed, id 77?"}),
    caseLabel<FailureCase>);

class UserObject : public QueueTest
{
};

// The user aircraft's own id, and 0 that names it too, are never moved,
// removed or taken for a new AI object, whatever the queues hold. AI objects with ids below the user's are
// handled as any other: the newer simulator hands out ids on both sides of the user's.
TEST_F(UserObject, OnlyItsOwnIdIsNeverTouched)
{
    sim::Scenario s = baseScenario();
    s.user.objectId = 5;
    for (const DWORD id : {3U, 9U})
    {
        sim::ForeignAircraft f;
        f.objectId = id;
        f.atcId = "OTHER" + std::to_string(id);
        f.pose = standingNearby();
        s.foreign.push_back(f);
    }
    begin(s);
    ASSERT_EQ(g_userObjectId.load(), 5U);

    queuePositions(
        {PosUpdate{50.1, 8.6, 0, 0, 0, 1000, 0, 0, 0}, PosUpdate{50.1, 8.6, 0, 0, 0, 1000, 0, 0, 3},
         PosUpdate{50.1, 8.6, 0, 0, 0, 1000, 0, 0, 5}, PosUpdate{50.1, 8.6, 0, 0, 0, 1000, 0, 0, 9}});
    queueRemove(5);
    queueRemove(0);
    sim::ForeignAircraft below;
    below.objectId = 4;
    below.pose = standingNearby();
    world().addForeign(below);
    step();

    std::vector<DWORD> moved;
    for (const sim::CallRecord& c : calls("SimConnect_SetDataOnSimObject"))
    {
        moved.push_back(c.args.at("object_id").get<DWORD>());
    }
    EXPECT_EQ(moved, (std::vector<DWORD>{3, 9}));
    EXPECT_TRUE(calls("SimConnect_AIRemoveObject").empty());
    EXPECT_EQ(logCount("SimConnect call to remove ac with objectid 5"), 1);
    EXPECT_EQ(logCount("SimConnect call to remove ac with objectid 0"), 1);
    EXPECT_EQ(g_newObjectIds, (std::vector<std::uint32_t>{4}));

    requestNearby();
    step();
    std::vector<DWORD> reported;
    for (const SimEvent& e : takeEvents())
    {
        EXPECT_NE(e.objectId, 5U) << "event type " << e.type;
        reported.push_back(e.objectId);
    }
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<DWORD>{3, 9}));
    EXPECT_EQ(logCount("just spawned, but not by Vora, oid: 4"), 1);
}

} // namespace
} // namespace ovr::test
