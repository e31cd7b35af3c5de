// The link against the stand-in in its strict mode, where it behaves as the
// real simulator does: the running state only when asked, tail numbers cut
// to twelve characters, AI ids below the user's, transient dispatch
// failures, AI objects that need a release (and a freeze) before they obey,
// frames at a varying rate and stalls while a flight loads.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/stop_request.h"
#include "queue_fixture.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

sim::Scenario strictScenario()
{
    sim::Scenario s = baseScenario();
    s.strictness = sim::Strictness::strict();
    s.user.objectId = sim::kStrictUserObjectId;
    // The manual clock dispatches once per step; failures and the varying
    // frame rate get cases of their own.
    s.strictness.dispatchFailEvery = 0;
    s.strictness.variableFrameRate = false;
    return s;
}

class StrictLink : public QueueTest
{
};

// "Sim" is not sent on subscribing: the link asks for the state once, and a
// simulation that runs already is seen running.
TEST_F(StrictLink, AsksForTheRunningStateOnceAfterSubscribing)
{
    startWorld(strictScenario());
    connect();
    EXPECT_EQ(g_simRunning.load(), 0);
    const std::vector<sim::CallRecord> asked = calls("SimConnect_RequestSystemState");
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0].args, (nlohmann::json{{"request_id", 111}, {"state", "Sim"}}));
    step();
    EXPECT_EQ(g_simRunning.load(), 1);

    world().setRunning(false);
    step();
    EXPECT_EQ(g_simRunning.load(), 0);
    EXPECT_EQ(logCount("Unknown Dispatch"), 0);
}

TEST_F(StrictLink, AStoppedSimulationIsSeenStoppedThenRunning)
{
    sim::Scenario s = strictScenario();
    s.running = false;
    s.strictness.loadStallMs = 0;
    startWorld(s);
    connect();
    step();
    EXPECT_EQ(g_simRunning.load(), 0);
    world().setRunning(true);
    step();
    EXPECT_EQ(g_simRunning.load(), 1);
}

struct CutCase
{
    const char* label;
    std::vector<std::string> pending; // in queue order
    std::uint32_t matchedKey;         // the key of the create the object is taken for
};

class TailCut : public StrictLink, public ::testing::WithParamInterface<CutCase>
{
};

// The simulator keeps twelve characters of the tail number; the create is
// still matched, each object to the create that made it, also where one
// tail number cut equals another create's callsign.
TEST_P(TailCut, IsMatchedToItsCreate)
{
    const CutCase& c = GetParam();
    begin(strictScenario());
    std::uint32_t key = 20001;
    for (const std::string& callsign : c.pending)
    {
        gf_queueCreateAc(request(callsign, key++));
    }
    step();
    frames(5);
    requestNearby();
    step();
    std::vector<std::uint32_t> created;
    for (const SimEvent& e : takeEvents())
    {
        if (e.type == kSimEventLiveCreated)
        {
            created.push_back(e.key);
        }
    }
    EXPECT_EQ(created.size(), c.pending.size());
    ASSERT_FALSE(created.empty());
    EXPECT_EQ(created.front(), c.matchedKey);
    EXPECT_TRUE(g_pendingCreates.empty());
    EXPECT_EQ(logCount("just spawned, but not by"), 0);
}

INSTANTIATE_TEST_SUITE_P(Strict, TailCut,
                         ::testing::Values(CutCase{"Long", {"ABCDEFGHIJKLMNO"}, 20001},
                                           CutCase{"TwelveExactly", {"ABCDEFGHIJKL"}, 20001},
                                           CutCase{
                                               "CutEqualsAnother", {"ABCDEFGHIJKLX", "ABCDEFGHIJKL"}, 20001}),
                         caseLabel<CutCase>);

// With the user at 1000 and AI ids from 3, own aircraft are created,
// matched, moved and removed all the same.
TEST_F(StrictLink, AiIdsBelowTheUsersAreOwnObjects)
{
    begin(strictScenario());
    ASSERT_EQ(g_userObjectId.load(), sim::kStrictUserObjectId);
    const DWORD object = createOwn("DLH4AB", 20001);
    ASSERT_NE(object, 0U);
    EXPECT_LT(object, g_userObjectId.load());

    queuePositions({PosUpdate{50.05, 8.57, 0, 0, 0, 2000, 0, 180, object}});
    step();
    EXPECT_NEAR(world().object(object)->latDeg, 50.05, 1e-9) << "released and frozen: it obeys";

    queueRemove(object);
    step();
    step();
    EXPECT_FALSE(world().object(object).has_value());
    bool removed = false;
    for (const SimEvent& e : takeEvents())
    {
        removed = removed || (e.type == kSimEventRemoved && e.objectId == object);
    }
    EXPECT_TRUE(removed);
}

// Client events reach an own object because the link released it when it
// was matched; flaps are wrapped in releases of their own.
TEST_F(StrictLink, EventsOnAnOwnObjectTakeEffect)
{
    begin(strictScenario());
    const DWORD object = createOwn("DLH5CD", 20001);
    ASSERT_NE(object, 0U);
    const sim::ObjectState matched = *world().object(object);
    EXPECT_TRUE(matched.aiReleased && matched.frozenLatLon && matched.frozenAltitude &&
                matched.frozenAttitude);

    queueEvent({object, kFlapsSet, 16383});
    gf_setNavLights(object, 1);
    step();
    EXPECT_GT(world().object(object)->flapsPercent, 99.0);
    EXPECT_NE(world().object(object)->lights & sim::kLightNav, 0U);
}

// While a flight loads the simulator sends no frames: queued work waits and
// goes out with the first frame after the stall.
TEST_F(StrictLink, QueuedWorkWaitsOutAStall)
{
    begin(strictScenario());
    world().apply(sim::script::Stall{2000});
    gf_queueCreateAc(request("DLH7EF", 20001));
    for (int i = 0; i < 50; ++i)
    {
        step();
    }
    EXPECT_TRUE(calls("SimConnect_AICreateNonATCAircraft").empty());
    step(400);
    EXPECT_EQ(calls("SimConnect_AICreateNonATCAircraft").size(), 1U);
}

// Frames at a varying rate: everything queued goes out, in order, on the
// frames that come.
TEST_F(StrictLink, FramesAtAVaryingRateSendEverything)
{
    sim::Scenario s = strictScenario();
    s.strictness.variableFrameRate = true;
    begin(s);
    for (int i = 0; i < 6; ++i)
    {
        gf_queueCreateAc(request("VAR" + std::to_string(i), 20001 + static_cast<std::uint32_t>(i)));
        step();
    }
    frames(10);
    std::vector<std::string> tails;
    for (const sim::CallRecord& c : calls("SimConnect_AICreateNonATCAircraft"))
    {
        tails.push_back(c.args.at("tail").get<std::string>());
    }
    EXPECT_EQ(tails, (std::vector<std::string>{"VAR0", "VAR1", "VAR2", "VAR3", "VAR4", "VAR5"}));
}

class StrictThread : public LinkTest
{
};

// A failing dispatch now and then is transient: the real thread keeps its
// session; only a run of failures means the connection is gone.
TEST_F(StrictThread, TransientDispatchFailuresKeepTheSession)
{
    sim::Scenario s = strictScenario();
    s.strictness.dispatchFailEvery = 7;
    startWorld(s);
    ClientThread client;
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load() == 1; }));
    world().failNextCalls("SimConnect_CallDispatch", 1);
    const auto until = std::chrono::steady_clock::now() + 300ms;
    while (std::chrono::steady_clock::now() < until)
    {
        world().advance(kFrameMs);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_EQ(g_simRunning.load(), 1);
    client.stop();
}

} // namespace
} // namespace ovr::test
