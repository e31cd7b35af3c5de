// The stand-in's strict mode, item by item: each switch makes it behave as
// the real simulator does where the kind default forgives.
#include "sim_client.h"
#include "sim_link_definitions.h"

#include "platform/simconnect/scenario_json.h"
#include "platform/simconnect/world.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace ovr::sim::test
{
namespace
{

constexpr DWORD kStateRequest = 111;
constexpr DWORD kPositionDefinition = 402;
constexpr DWORD kFreezeLatLon = 214;
constexpr DWORD kFreezeAltitude = 215;
constexpr DWORD kFreezeAttitude = 216;
constexpr DWORD kFlaps = 217;

Scenario strictWorld(void (*change)(Strictness&) = nullptr)
{
    Scenario s;
    s.user.objectId = 1000;
    s.user.pose.latDeg = 50.0478;
    s.user.pose.lonDeg = 8.5693;
    s.strictness = Strictness::strict();
    s.strictness.dispatchFailEvery = 0; // only where a case asks for it
    if (change != nullptr)
    {
        change(s.strictness);
    }
    return s;
}

SIMCONNECT_DATA_INITPOSITION standingNear()
{
    return SIMCONNECT_DATA_INITPOSITION{50.05, 8.5693, 0.0, 0.0, 0.0, 90.0, 1, 0};
}

std::vector<DWORD> eventData(const std::vector<Received>& records, DWORD eventId)
{
    std::vector<DWORD> out;
    for (const Received& r : records)
    {
        if (r.id() == SIMCONNECT_RECV_ID_EVENT && r.as<SIMCONNECT_RECV_EVENT>().uEventID == eventId)
        {
            out.push_back(r.as<SIMCONNECT_RECV_EVENT>().dwData);
        }
    }
    return out;
}

TEST(StrictSim, SimIsNotSentOnSubscribingButAnsweredWhenAsked)
{
    World world(strictWorld());
    Client c;
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(c.h, kSim, "Sim"), S_OK);
    world.advance(100);
    EXPECT_TRUE(eventData(c.drain(), kSim).empty());

    ASSERT_EQ(SimConnect_RequestSystemState(c.h, kStateRequest, "Sim"), S_OK);
    EXPECT_TRUE(c.drain(SIMCONNECT_RECV_ID_SYSTEM_STATE).empty()) << "answered later, not in the call";
    world.advance(40);
    const std::vector<Received> states = c.drain(SIMCONNECT_RECV_ID_SYSTEM_STATE);
    ASSERT_EQ(states.size(), 1U);
    EXPECT_EQ(states[0].as<SIMCONNECT_RECV_SYSTEM_STATE>().dwRequestID, kStateRequest);
    EXPECT_EQ(states[0].as<SIMCONNECT_RECV_SYSTEM_STATE>().dwInteger, 1U);

    // a change is still sent as an event
    world.setRunning(false);
    world.advance(40);
    EXPECT_EQ(eventData(c.drain(), kSim), (std::vector<DWORD>{0}));
}

TEST(StrictSim, AnUnknownStateIsRefused)
{
    World world(strictWorld());
    Client c;
    ASSERT_EQ(SimConnect_RequestSystemState(c.h, kStateRequest, "Weather"), S_OK);
    world.advance(40);
    EXPECT_EQ(c.drain(SIMCONNECT_RECV_ID_EXCEPTION).size(), 1U);
}

TEST(KindSim, SendsSimOnSubscribing)
{
    World world(Scenario{});
    Client c;
    SimConnect_SubscribeToSystemEvent(c.h, kSim, "Sim");
    EXPECT_EQ(eventData(c.drain(), kSim), (std::vector<DWORD>{1}));
}

TEST(StrictSim, TailNumbersAreCutToTwelveCharacters)
{
    World world(strictWorld());
    Client c;
    SimConnect_SubscribeToSystemEvent(c.h, kObjectAdded, "ObjectAdded");
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(c.h, "Any", "ABCDEFGHIJKLMNOP", standingNear(), 104), S_OK);
    world.advance(200);
    const auto added = c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    ASSERT_EQ(added.size(), 1U);
    EXPECT_EQ(world.object(added[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData)->atcId,
              "ABCDEFGHIJKL");
}

TEST(StrictSim, AiIdsStartBelowTheUsersAndSkipIt)
{
    Scenario s = strictWorld();
    s.user.objectId = 4;
    World world(std::move(s));
    Client c;
    std::vector<DWORD> ids;
    for (int i = 0; i < 3; ++i)
    {
        ForeignAircraft f;
        f.pose.latDeg = 50.05;
        f.pose.lonDeg = 8.57;
        ids.push_back(world.addForeign(f));
    }
    EXPECT_EQ(ids, (std::vector<DWORD>{3, 5, 6}));
}

TEST(StrictSim, EveryNthDispatchFailsOnceAndLosesNothing)
{
    World world(strictWorld([](Strictness& s) { s.dispatchFailEvery = 3; }));
    Client c;
    SimConnect_SubscribeToSystemEvent(c.h, kFrame, "Frame");
    world.advance(1000);
    std::vector<Received> got;
    std::vector<HRESULT> results;
    for (int i = 0; i < 6; ++i)
    {
        results.push_back(SimConnect_CallDispatch(c.h, collect, &got));
    }
    EXPECT_EQ(results, (std::vector<HRESULT>{S_OK, S_OK, E_FAIL, S_OK, S_OK, E_FAIL}));
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(world.queued("Vora"), 0U);
}

class AiControl : public testing::Test
{
  protected:
    AiControl() : world(strictWorld())
    {
        SimConnect_SubscribeToSystemEvent(c.h, kObjectAdded, "ObjectAdded");
        registerLinkDefinitions(c.h);
        SimConnect_MapClientEventToSimEvent(c.h, kFreezeLatLon, "FREEZE_LATITUDE_LONGITUDE_SET");
        SimConnect_MapClientEventToSimEvent(c.h, kFreezeAltitude, "FREEZE_ALTITUDE_SET");
        SimConnect_MapClientEventToSimEvent(c.h, kFreezeAttitude, "FREEZE_ATTITUDE_SET");
        SimConnect_MapClientEventToSimEvent(c.h, kFlaps, "FLAPS_SET");
        SimConnect_AICreateNonATCAircraft(c.h, "Any", "DLH1", standingNear(), 104);
        world.advance(200);
        const auto added = c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
        object = added.empty() ? 0 : added[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().dwData;
    }

    void moveTo(double latDeg)
    {
        const double block[8] = {latDeg, 8.6, 0.0, 0.0, 0.0, 5000.0, 0.0, 250.0};
        EXPECT_EQ(SimConnect_SetDataOnSimObject(c.h, kPositionDefinition, object, 0, 0, sizeof(block),
                                                const_cast<double*>(block)),
                  S_OK);
    }

    void freeze()
    {
        for (const DWORD e : {kFreezeLatLon, kFreezeAltitude, kFreezeAttitude})
        {
            SimConnect_TransmitClientEvent(c.h, object, e, 1, 301, 0);
        }
    }

    World world;
    Client c;
    DWORD object = 0;
};

TEST_F(AiControl, WritesAndEventsNeedTheReleaseAndPositionsTheFreeze)
{
    ASSERT_NE(object, 0U);
    moveTo(51.0);
    SimConnect_TransmitClientEvent(c.h, object, kFlaps, 16383, 301, 0);
    EXPECT_NEAR(world.object(object)->latDeg, 50.05, 1e-9);
    EXPECT_EQ(world.object(object)->flapsPercent, 0.0);

    SimConnect_AIReleaseControl(c.h, object, 103);
    moveTo(51.0);
    EXPECT_NEAR(world.object(object)->latDeg, 50.05, 1e-9) << "not frozen yet";
    SimConnect_TransmitClientEvent(c.h, object, kFlaps, 16383, 301, 0);
    EXPECT_GT(world.object(object)->flapsPercent, 99.0);

    freeze();
    moveTo(51.0);
    EXPECT_NEAR(world.object(object)->latDeg, 51.0, 1e-9);
}

TEST(StrictSim, FramesComeAtAVaryingRate)
{
    World world(strictWorld());
    Client c;
    SimConnect_SubscribeToSystemEvent(c.h, kFrame, "Frame");
    std::vector<int> gaps;
    int gap = 0;
    for (int i = 0; i < 90; ++i)
    {
        world.advance(34);
        ++gap;
        if (!c.drain(SIMCONNECT_RECV_ID_EVENT_FRAME).empty())
        {
            gaps.push_back(gap);
            gap = 0;
        }
    }
    ASSERT_GT(gaps.size(), 30U);
    EXPECT_NE(std::count(gaps.begin(), gaps.end(), 1), static_cast<long>(gaps.size()));
}

TEST(StrictSim, ALoadingFlightStallsFramesAndAnswers)
{
    Scenario s = strictWorld([](Strictness& t) { t.variableFrameRate = false; });
    s.running = false;
    World world(std::move(s));
    Client c;
    SimConnect_SubscribeToSystemEvent(c.h, kFrame, "Frame");
    registerLinkDefinitions(c.h);
    c.drain();
    world.setRunning(true);
    SimConnect_RequestSystemState(c.h, kStateRequest, "Sim");
    world.advance(2900);
    EXPECT_TRUE(c.drain().empty());
    world.advance(200);
    const std::vector<Received> after = c.drain();
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const Received& r) { return r.id() == SIMCONNECT_RECV_ID_SYSTEM_STATE; }),
              1);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(),
                            [](const Received& r) { return r.id() == SIMCONNECT_RECV_ID_EVENT_FRAME; }));
}

TEST(StrictScenario, TrueIsTheWholeProfileWithAHighUserId)
{
    const Scenario s = scenarioFromJson(nlohmann::json{{"strict", true}});
    EXPECT_FALSE(s.strictness.simOnSubscribe);
    EXPECT_EQ(s.strictness.atcIdChars, 12U);
    EXPECT_EQ(s.strictness.firstAiObjectId, 3U);
    EXPECT_GT(s.strictness.dispatchFailEvery, 0);
    EXPECT_TRUE(s.strictness.aiControl);
    EXPECT_TRUE(s.strictness.variableFrameRate);
    EXPECT_EQ(s.strictness.loadStallMs, 3000);
    EXPECT_EQ(s.user.objectId, kStrictUserObjectId);
}

TEST(StrictScenario, AnObjectChangesSingleItems)
{
    const Scenario s = scenarioFromJson(nlohmann::json{
        {"strict", {{"dispatch_fail_every", 0}, {"load_stall_s", 0.5}, {"first_ai_object_id", 0}}},
        {"user", {{"object_id", 7}}}});
    EXPECT_FALSE(s.strictness.simOnSubscribe);
    EXPECT_EQ(s.strictness.dispatchFailEvery, 0);
    EXPECT_EQ(s.strictness.loadStallMs, 500);
    EXPECT_FALSE(s.strictness.firstAiObjectId.has_value());
    EXPECT_EQ(s.user.objectId, 7U);

    EXPECT_THROW(scenarioFromJson(nlohmann::json{{"strict", {{"no_such_item", true}}}}), std::runtime_error);
    EXPECT_TRUE(scenarioFromJson(nlohmann::json{{"strict", false}}).strictness.simOnSubscribe);
}

} // namespace
} // namespace ovr::sim::test
