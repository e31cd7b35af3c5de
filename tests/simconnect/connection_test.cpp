// Opening and closing connections, system events, the simulator quitting and
// the dispatch of records.
#include "sim_client.h"

#include "platform/simconnect/world.h"
#include "platform/simconnect/world_records.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ovr::sim::test
{
namespace
{

constexpr DWORD kFlightLoaded = 205;

void subscribeAll(HANDLE h)
{
    SimConnect_SubscribeToSystemEvent(h, kSim, "Sim");
    SimConnect_SubscribeToSystemEvent(h, kObjectAdded, "ObjectAdded");
    SimConnect_SubscribeToSystemEvent(h, kObjectRemoved, "ObjectRemoved");
    SimConnect_SubscribeToSystemEvent(h, kFlightLoaded, "FlightLoaded");
    SimConnect_SubscribeToSystemEvent(h, kFrame, "Frame");
}

struct OpenCase
{
    std::string name;
    std::array<DWORD, 4> version;
    std::string expected; // as the record carries it
};

class OpenRecord : public testing::TestWithParam<OpenCase>
{
};

TEST_P(OpenRecord, ComesFirstWithNameAndVersion)
{
    Scenario s;
    s.applicationName = GetParam().name;
    s.version = GetParam().version;
    World world(s);
    Client c;
    const auto got = c.drain();
    ASSERT_EQ(got.size(), 1U);
    ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_OPEN);
    ASSERT_EQ(got[0].size, sizeof(SIMCONNECT_RECV_OPEN));
    const auto& open = got[0].as<SIMCONNECT_RECV_OPEN>();
    EXPECT_EQ(std::string(open.szApplicationName, strnlen(open.szApplicationName, 256)), GetParam().expected);
    EXPECT_EQ(open.dwApplicationVersionMajor, GetParam().version[0]);
    EXPECT_EQ(open.dwApplicationVersionMinor, GetParam().version[1]);
    EXPECT_EQ(open.dwApplicationBuildMajor, GetParam().version[2]);
    EXPECT_EQ(open.dwApplicationBuildMinor, GetParam().version[3]);
}

INSTANTIATE_TEST_SUITE_P(Names, OpenRecord,
                         testing::Values(OpenCase{"KittyHawk", {1, 37, 19, 0}, "KittyHawk"},
                                         OpenCase{"SunRise", {1, 2, 8, 0}, "SunRise"},
                                         // a name that fills the field keeps its terminating NUL
                                         OpenCase{
                                             std::string(300, 'K'), {0, 0, 0, 0}, std::string(255, 'K')}));

TEST(Open, FailsWhileUnavailableAndWhenScriptedToFail)
{
    Scenario s;
    s.available = false;
    World world(s);
    HANDLE h = nullptr;
    EXPECT_LT(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), 0);

    world.setAvailable(true);
    world.failNextCalls("SimConnect_Open", 2);
    EXPECT_LT(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), 0);
    EXPECT_LT(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), 0);
    ASSERT_EQ(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), S_OK);
    EXPECT_NE(h, nullptr);
    EXPECT_EQ(SimConnect_Close(h), S_OK);
    EXPECT_LT(SimConnect_Close(h), 0) << "a closed handle is gone";
}

TEST(SystemEvents, SimStateOnSubscribingAndOnEveryChange)
{
    World world;
    Client c;
    c.drain();
    SimConnect_SubscribeToSystemEvent(c.h, kSim, "Sim");
    world.setRunning(false);
    world.setRunning(false); // no change, no event
    world.setRunning(true);

    const auto events = c.drain(SIMCONNECT_RECV_ID_EVENT);
    ASSERT_EQ(events.size(), 3U);
    const DWORD expected[] = {1, 0, 1};
    for (std::size_t i = 0; i < events.size(); ++i)
    {
        EXPECT_EQ(events[i].as<SIMCONNECT_RECV_EVENT>().uEventID, kSim);
        EXPECT_EQ(events[i].as<SIMCONNECT_RECV_EVENT>().dwData, expected[i]) << i;
    }
}

TEST(SystemEvents, FramesAtThirtyHertzOnlyWhileRunning)
{
    World world;
    Client c;
    subscribeAll(c.h);
    c.drain();

    world.advance(1000);
    auto frames = c.drain(SIMCONNECT_RECV_ID_EVENT_FRAME);
    ASSERT_EQ(frames.size(), 30U);
    EXPECT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().uEventID, kFrame);
    EXPECT_FLOAT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().fFrameRate, 30.0F);

    world.setRunning(false);
    world.advance(1000);
    EXPECT_TRUE(c.drain(SIMCONNECT_RECV_ID_EVENT_FRAME).empty());

    world.setRunning(true);
    world.advance(100); // three frames fall within 100 ms
    EXPECT_EQ(c.drain(SIMCONNECT_RECV_ID_EVENT_FRAME).size(), 3U);
}

TEST(SystemEvents, ObjectAddedAndRemovedCarryTheAircraftType)
{
    World world;
    Client c;
    subscribeAll(c.h);
    c.drain();

    ForeignAircraft other;
    other.atcId = "AS-GEN";
    const DWORD id = world.addForeign(other);
    world.apply(script::RemoveForeign{id});

    const auto got = c.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    ASSERT_EQ(got.size(), 2U);
    const DWORD events[] = {kObjectAdded, kObjectRemoved};
    for (std::size_t i = 0; i < 2; ++i)
    {
        const auto& e = got[i].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>();
        EXPECT_EQ(e.uEventID, events[i]);
        EXPECT_EQ(e.dwData, id);
        EXPECT_EQ(e.eObjType, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }
    EXPECT_GT(id, 1U) << "above the user aircraft";
}

TEST(SystemEvents, FlightLoadedComesAsFileNameOrAsEvent)
{
    for (const bool asEvent : {false, true})
    {
        Scenario s;
        s.flightLoadedAsEvent = asEvent;
        s.flightFile = "flights\\other\\MainMenu.FLT";
        World world(s);
        Client c;
        subscribeAll(c.h);
        c.drain();
        world.loadFlight();
        const auto got = c.drain();
        ASSERT_EQ(got.size(), 1U);
        if (asEvent)
        {
            ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_EVENT);
            EXPECT_EQ(got[0].as<SIMCONNECT_RECV_EVENT>().uEventID, kFlightLoaded);
        }
        else
        {
            ASSERT_EQ(got[0].id(), SIMCONNECT_RECV_ID_EVENT_FILENAME);
            const auto& f = got[0].as<SIMCONNECT_RECV_EVENT_FILENAME>();
            EXPECT_EQ(f.uEventID, kFlightLoaded);
            EXPECT_STREQ(f.szFileName, "flights\\other\\MainMenu.FLT");
        }
    }
}

TEST(Quit, EveryClientHearsItThenCallsFailUntilAvailableAgain)
{
    World world;
    Client vora;
    Client reader("PARKING_DATA_RDR");
    SimConnect_SubscribeToSystemEvent(vora.h, kFrame, "Frame");
    vora.drain();
    reader.drain();

    world.quit();
    for (Client* c : {&vora, &reader})
    {
        const auto got = c->drain();
        ASSERT_EQ(got.size(), 1U);
        EXPECT_EQ(got[0].id(), SIMCONNECT_RECV_ID_QUIT);
    }
    DWORD packet = 0;
    EXPECT_LT(SimConnect_SubscribeToSystemEvent(vora.h, kSim, "Sim"), 0);
    EXPECT_LT(SimConnect_GetLastSentPacketID(vora.h, &packet), 0);
    world.advance(1000);
    EXPECT_TRUE(vora.drain().empty()) << "no frames from a simulator that quit";

    HANDLE h = nullptr;
    EXPECT_LT(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), 0);
    world.setAvailable(true);
    Client again;
    EXPECT_NE(again.h, nullptr);
}

TEST(Quit, ScriptedInTheScenario)
{
    Scenario s;
    s.events = {ScriptedEvent{2000, script::Quit{}}, ScriptedEvent{3000, script::Available{true}}};
    World world(s);
    Client c;
    c.drain();
    world.advance(1990);
    EXPECT_TRUE(c.drain().empty());
    world.advance(20);
    const auto got = c.drain();
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].id(), SIMCONNECT_RECV_ID_QUIT);
    EXPECT_FALSE(world.available());
    world.advance(1000);
    EXPECT_TRUE(world.available());
}

TEST(Dispatch, AThrowingProcedureLeavesTheRestQueuedAndNoLockHeld)
{
    World world;
    Client c;
    subscribeAll(c.h);  // OPEN and the Sim event are queued now
    world.advance(100); // and three frames
    const std::size_t queued = world.queued("Vora");
    ASSERT_EQ(queued, 5U);

    int calls = 0;
    const auto throwing = [](SIMCONNECT_RECV*, DWORD, void* context)
    {
        ++*static_cast<int*>(context);
        // the simulator must still take calls from inside the procedure
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(SimConnect_CallDispatch(c.h, throwing, &calls), std::runtime_error);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(world.queued("Vora"), queued - 1);

    // Nothing is left locked: calls, the clock and a normal dispatch go on.
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(c.h, 299, "Frame"), S_OK);
    world.advance(40);
    const auto rest = c.drain();
    ASSERT_EQ(rest.size(), queued - 1 + 2);
    EXPECT_EQ(rest[0].id(), SIMCONNECT_RECV_ID_EVENT) << "the Sim event was next in line";
}

TEST(Dispatch, TheProcedureMayCallTheSimulator)
{
    World world;
    Client c;
    struct Context
    {
        HANDLE h;
        HRESULT result = E_FAIL;
    } context{c.h};
    SimConnect_CallDispatch(
        c.h,
        [](SIMCONNECT_RECV*, DWORD, void* p)
        {
            auto* ctx = static_cast<Context*>(p);
            ctx->result = SimConnect_SubscribeToSystemEvent(ctx->h, kSim, "Sim");
        },
        &context);
    EXPECT_EQ(context.result, S_OK);
    EXPECT_EQ(c.drain(SIMCONNECT_RECV_ID_EVENT).size(), 1U);
}

TEST(Close, DropsTheQueueAndRemovesTheClientsObjects)
{
    World world;
    Client watcher("watcher");
    SimConnect_SubscribeToSystemEvent(watcher.h, kObjectRemoved, "ObjectRemoved");
    auto vora = std::make_unique<Client>();
    SIMCONNECT_DATA_INITPOSITION at{50.0, 8.0, 400.0, 0, 0, 90, 0, 0};
    SimConnect_AICreateNonATCAircraft(vora->h, "Airbus A320 Neo Asobo", "DLH123", at, 104);
    world.advance(200);
    ASSERT_EQ(world.objects().size(), 2U);
    EXPECT_GT(world.queued("Vora"), 0U);
    watcher.drain();

    vora.reset();
    EXPECT_EQ(world.queued("Vora"), 0U);
    EXPECT_EQ(world.objects().size(), 1U);
    EXPECT_EQ(watcher.drain(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE).size(), 1U);
}

TEST(Close, KeepsTheObjectsWhenTheScenarioSaysSo)
{
    Scenario s;
    s.closeRemovesObjects = false;
    World world(s);
    {
        Client vora;
        SIMCONNECT_DATA_INITPOSITION at{50.0, 8.0, 400.0, 0, 0, 90, 0, 0};
        SimConnect_AICreateNonATCAircraft(vora.h, "Airbus A320 Neo Asobo", "DLH123", at, 104);
        world.advance(200);
    }
    EXPECT_EQ(world.objects().size(), 2U);
}

TEST(ScriptedFailures, TheNextCallsOfAKindFailAndSendNothing)
{
    World world;
    Client c;
    world.failNextCalls("SimConnect_AICreateNonATCAircraft", 1);
    SIMCONNECT_DATA_INITPOSITION at{50.0, 8.0, 400.0, 0, 0, 90, 0, 0};
    const DWORD before = c.lastPacket();
    EXPECT_LT(SimConnect_AICreateNonATCAircraft(c.h, "Airbus A320 Neo Asobo", "DLH1", at, 104), 0);
    EXPECT_EQ(c.lastPacket(), before);
    EXPECT_EQ(SimConnect_AICreateNonATCAircraft(c.h, "Airbus A320 Neo Asobo", "DLH2", at, 104), S_OK);
    EXPECT_EQ(c.lastPacket(), before + 1);
    world.advance(200);
    ASSERT_EQ(world.objects().size(), 2U);
    EXPECT_EQ(world.objects()[1].atcId, "DLH2");
}

TEST(ScriptedFailures, AnyExceptionToANamedClient)
{
    World world;
    Client vora;
    Client other("other");
    vora.drain();
    other.drain();
    world.raiseException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 17, 4, "Vora");
    const auto got = vora.drain();
    ASSERT_EQ(got.size(), 1U);
    const auto& e = got[0].as<SIMCONNECT_RECV_EXCEPTION>();
    EXPECT_EQ(e.dwException, SIMCONNECT_EXCEPTION_VERSION_MISMATCH);
    EXPECT_EQ(e.dwSendID, 17U);
    EXPECT_EQ(e.dwIndex, 4U);
    EXPECT_TRUE(other.drain().empty());
}

TEST(Trace, RecordsCallsRecordsAndOneObjectTableAWorldSecond)
{
    const auto path = uniqueTempPath("trace.jsonl");
    {
        WorldOptions options;
        options.tracePath = path;
        World world({}, options);
        Client c;
        SimConnect_SubscribeToSystemEvent(c.h, kFrame, "Frame");
        world.advance(2000);
    }
    std::ifstream in(path);
    std::map<std::string, int> kinds;
    std::string line;
    while (std::getline(in, line))
    {
        ++kinds[nlohmann::json::parse(line).at("kind").get<std::string>()];
    }
    std::filesystem::remove(path);
    EXPECT_EQ(kinds["objects"], 2);
    EXPECT_EQ(kinds["call"], 3) << "open, subscribe, close";
    EXPECT_EQ(kinds["msg"], 1 + 60) << "OPEN and the frames";
}

// A call named unlogged is left out of calls() only: the trace has it with
// its arguments, and every other call is kept as before.
TEST(Trace, AnUnloggedCallIsLeftOutOfCallsOnly)
{
    struct Case
    {
        bool keepLogs;
        bool trace;
        bool unlogged;
    };
    const nlohmann::json args{{"event_id", kFrame}, {"name", "Frame"}};
    for (const Case c : {Case{true, false, false}, Case{true, false, true}, Case{true, true, true},
                         Case{true, true, false}, Case{false, true, false}, Case{false, false, false}})
    {
        SCOPED_TRACE(testing::Message() << "keep " << c.keepLogs << " trace " << c.trace << " unlogged "
                                        << c.unlogged);
        const auto path = uniqueTempPath("trace.jsonl");
        std::vector<CallRecord> kept;
        {
            WorldOptions options;
            options.keepLogs = c.keepLogs;
            if (c.trace)
                options.tracePath = path;
            if (c.unlogged)
                options.unloggedCalls = {"SimConnect_SubscribeToSystemEvent"};
            World world({}, options);
            Client client;
            SimConnect_SubscribeToSystemEvent(client.h, kFrame, "Frame");
            kept = world.calls();
        }
        std::vector<nlohmann::json> subscribed;
        for (const CallRecord& r : kept)
        {
            if (r.fn == "SimConnect_SubscribeToSystemEvent")
                subscribed.push_back(r.args);
        }
        EXPECT_EQ(subscribed, (c.keepLogs && !c.unlogged ? std::vector{args} : std::vector<nlohmann::json>{}));
        std::vector<nlohmann::json> traced;
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line))
        {
            const nlohmann::json j = nlohmann::json::parse(line);
            if (j.value("fn", "") == "SimConnect_SubscribeToSystemEvent")
                traced.push_back(j.at("args"));
        }
        in.close();
        std::filesystem::remove(path);
        EXPECT_EQ(traced, (c.trace ? std::vector{args} : std::vector<nlohmann::json>{}));
    }
}

// A reader of the trace needs each object's height above the ground and,
// to set the trace beside records that carry UTC, the wall clock at time 0.
TEST(Trace, ObjectsCarryTheGroundUnderThemAndAWallClockWorldSaysWhenItStarted)
{
    struct Case
    {
        bool realTime;
        bool clockRecord;
    };
    for (const Case c : {Case{false, false}, Case{true, true}})
    {
        const auto path = uniqueTempPath("trace.jsonl");
        const double before = static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                      std::chrono::system_clock::now().time_since_epoch())
                                                      .count());
        {
            Scenario s;
            s.terrain.elevationFt = 364.0;
            s.terrain.discs.push_back(ElevationDisc{0.0, 0.0, 5000.0, 120.0});
            WorldOptions options;
            options.tracePath = path;
            options.realTime = c.realTime;
            World world(std::move(s), options);
            world.advance(1000);
        }
        std::ifstream in(path);
        std::string line;
        int clocks = 0;
        int tables = 0;
        while (std::getline(in, line))
        {
            const nlohmann::json j = nlohmann::json::parse(line);
            if (j.at("kind") == "clock")
            {
                ++clocks;
                EXPECT_EQ(j.at("t_ms").get<long long>(), 0);
                EXPECT_GE(j.at("epoch_ms").get<double>(), before);
            }
            else if (j.at("kind") == "objects")
            {
                ++tables;
                ASSERT_EQ(j.at("objects").size(), 1u);
                // The user aircraft stands at 0/0, inside the raised disc.
                EXPECT_DOUBLE_EQ(j.at("objects")[0].at("ground_ft").get<double>(), 120.0);
            }
        }
        std::filesystem::remove(path);
        EXPECT_EQ(clocks, c.clockRecord ? 1 : 0) << "real time " << c.realTime;
        EXPECT_GE(tables, 1);
    }
}

} // namespace
} // namespace ovr::sim::test
