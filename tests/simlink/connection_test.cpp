// The SimClient thread's connection: registration, waiting for the
// simulator, the simulator's name, and the ends of a connection.
#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "link_fixture.h"
#include "simconnect/sim_link_definitions.h"
#include "simlink/sim_client.h"
#include "simlink/sim_panel_fields.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

struct IdName
{
    DWORD id;
    std::string name;
    bool operator==(const IdName&) const = default;
};

std::vector<IdName> idNames(const std::vector<sim::CallRecord>& calls)
{
    std::vector<IdName> out;
    for (const sim::CallRecord& c : calls)
    {
        out.push_back({c.args.at("event_id").get<DWORD>(), c.args.at("name").get<std::string>()});
    }
    return out;
}

class Registration : public LinkTest
{
};

TEST_F(Registration, RegistersEveryIdentifierInOrder)
{
    startWorld();
    connect();

    EXPECT_EQ(idNames(calls("SimConnect_SubscribeToSystemEvent")),
              (std::vector<IdName>{{201, "Sim"},
                                   {202, "ObjectAdded"},
                                   {203, "ObjectRemoved"},
                                   {205, "FlightLoaded"},
                                   {204, "Frame"}}));

    const std::vector<sim::CallRecord> fields = calls("SimConnect_AddToDataDefinition");
    ASSERT_EQ(fields.size(), sim::test::kLinkFields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
    {
        const sim::test::FieldSpec& want = sim::test::kLinkFields[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(fields[i].args.at("define_id"), want.define);
        EXPECT_EQ(fields[i].args.at("name"), want.name);
        EXPECT_EQ(fields[i].args.at("units"),
                  want.units != nullptr ? nlohmann::json(want.units) : nlohmann::json(nullptr));
        EXPECT_EQ(fields[i].args.at("type"), want.type);
    }

    std::vector<IdName> mapped;
    for (const sim::test::ClientEventSpec& event : sim::test::kLinkClientEvents)
    {
        mapped.push_back({event.id, event.name});
    }
    EXPECT_EQ(idNames(calls("SimConnect_MapClientEventToSimEvent")), mapped);

    std::vector<DWORD> grouped;
    for (const sim::CallRecord& c : calls("SimConnect_AddClientEventToNotificationGroup"))
    {
        EXPECT_EQ(c.args.at("group_id"), 301);
        EXPECT_EQ(c.args.at("maskable"), true);
        grouped.push_back(c.args.at("event_id").get<DWORD>());
    }
    EXPECT_EQ(grouped, (std::vector<DWORD>(sim::test::kLinkGroupedEvents.begin(),
                                           sim::test::kLinkGroupedEvents.end())));

    const std::vector<sim::CallRecord> priority = calls("SimConnect_SetNotificationGroupPriority");
    ASSERT_EQ(priority.size(), 1U);
    EXPECT_EQ(priority[0].args, (nlohmann::json{{"group_id", 301}, {"priority", 1}}));

    // The kinds follow each other in blocks, in this order.
    std::vector<std::string> blocks;
    for (const sim::CallRecord& c : calls())
    {
        if (c.fn != "SimConnect_Open" && c.fn != "SimConnect_CallDispatch" &&
            (blocks.empty() || blocks.back() != c.fn))
        {
            blocks.push_back(c.fn);
        }
    }
    EXPECT_EQ(blocks,
              (std::vector<std::string>{"SimConnect_SubscribeToSystemEvent", "SimConnect_RequestSystemState",
                                        "SimConnect_AddToDataDefinition",
                                        "SimConnect_MapClientEventToSimEvent",
                                        "SimConnect_AddClientEventToNotificationGroup",
                                        "SimConnect_SetNotificationGroupPriority"}));

    // The stand-in accepted every registration.
    for (const sim::MessageRecord& m : world().messages())
    {
        EXPECT_FALSE(m.client == "Vora" && m.id == SIMCONNECT_RECV_ID_EXCEPTION) << m.fields.dump();
    }
}

TEST_F(Registration, EachSessionRegistersAgainOnItsOwnConnection)
{
    startWorld();
    for (int session = 0; session < 2; ++session)
    {
        ClientThread client;
        ASSERT_TRUE(waitUntil(
            [&]
            {
                return calls("SimConnect_SetNotificationGroupPriority").size() ==
                       static_cast<std::size_t>(session + 1);
            }));
    }
    EXPECT_EQ(calls("SimConnect_SubscribeToSystemEvent").size(), 10U);
    EXPECT_EQ(calls("SimConnect_AddToDataDefinition").size(), 66U);
    EXPECT_EQ(calls("SimConnect_Close").size(), 2U);
}

class Waiting : public LinkTest
{
  protected:
    std::size_t failedOpens() const
    {
        std::size_t n = 0;
        for (const sim::CallRecord& c : calls("SimConnect_Open"))
        {
            n += c.result < 0 ? 1 : 0;
        }
        return n;
    }
};

TEST_F(Waiting, RetriesEvery100msQuietlyAndEndsOnAStop)
{
    sim::Scenario absent = baseScenario();
    absent.available = false;
    startWorld(absent);

    const auto start = std::chrono::steady_clock::now();
    ClientThread client;
    ASSERT_TRUE(waitUntil([&] { return failedOpens() >= 3; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);

    EXPECT_EQ(logCount("Waiting for MSFS 2020 ..."), 1);
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), " "), 1);
    EXPECT_EQ(gf_statusTexts().status, "Waiting for MSFS 2020 ...");

    gf_requestUserClose();
    ASSERT_TRUE(waitUntil([&] { return client.ended(); }, 2s));
    const std::size_t opens = failedOpens();
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(failedOpens(), opens);
    EXPECT_TRUE(calls("SimConnect_SubscribeToSystemEvent").empty());
}

TEST_F(Waiting, ConnectsOnceTheSimulatorIsThere)
{
    sim::Scenario absent = baseScenario();
    absent.available = false;
    absent.applicationName = "SunRise";
    startWorld(absent);
    g_simIs2020.store(0);

    ClientThread client;
    ASSERT_TRUE(waitUntil([&] { return failedOpens() >= 1; }));
    EXPECT_EQ(logCount("Waiting for MSFS 2024 ..."), 1);
    EXPECT_EQ(g_notYetConnected.load(), 1);

    world().apply(sim::script::Available{true});
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load() == 1; }));
    EXPECT_EQ(g_notYetConnected.load(), 0);
    EXPECT_EQ(g_simRunningShown.load(), 1);
}

struct NameCase
{
    const char* label;
    std::string applicationName;
    bool configured2020;
    enum Outcome
    {
        kConnected,
        kUnknown,
        kOtherSimulator
    } outcome;
    const char* text; // the simulator text, or the error status
};

class ApplicationName : public LinkTest, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(ApplicationName, IsRecognisedAfterTheFilter)
{
    const NameCase& c = GetParam();
    sim::Scenario s = baseScenario();
    s.applicationName = c.applicationName;
    startWorld(s);
    g_simIs2020.store(c.configured2020 ? 1 : 0);

    ClientThread client;
    switch (c.outcome)
    {
    case NameCase::kConnected:
        ASSERT_TRUE(waitUntil([] { return !simulatorText().empty(); }));
        EXPECT_EQ(simulatorText(), c.text);
        EXPECT_EQ(logCount(std::string(c.text) + " connected"), 1);
        EXPECT_EQ(g_simConnectedShown.load(), 1);
        EXPECT_EQ(gf_statusTexts().status, "");
        client.stop();
        EXPECT_EQ(g_simConnectedShown.load(), 0);
        EXPECT_EQ(g_stop.load(), 0);
        break;
    case NameCase::kUnknown:
        ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
        EXPECT_EQ(gf_statusTexts().error, c.text);
        // The user must act: the session stops with the error shown, and
        // does not restart.
        EXPECT_EQ(g_stop.load(), 1);
        EXPECT_EQ(g_exitReason.load(), kExitSystemError);
        EXPECT_EQ(gf_statusTexts().error, c.text);
        break;
    case NameCase::kOtherSimulator:
        ASSERT_TRUE(waitUntil([&] { return client.ended(); }));
        EXPECT_EQ(logCount("MSFS and Vora do not match, restarting ..."), 1);
        EXPECT_EQ(g_exitReason.load(), kExitNewSettings);
        EXPECT_EQ(g_simRunning.load(), 0);
        break;
    }
    EXPECT_EQ(logCount("SimConnect closed ok"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ApplicationName,
    ::testing::Values(
        NameCase{"Plain2020", "KittyHawk", true, NameCase::kConnected, "MSFS 2020 (1.37.19.0)"},
        NameCase{"Punctuation", "KittyHawk!", true, NameCase::kConnected, "MSFS 2020 (1.37.19.0)"},
        NameCase{"ControlChars", "\x01KittyHawk\x7f", true, NameCase::kConnected, "MSFS 2020 (1.37.19.0)"},
        NameCase{"NonAscii", "Kitty\xc3\xa9Hawk", true, NameCase::kConnected, "MSFS 2020 (1.37.19.0)"},
        NameCase{"Plain2024", "SunRise", false, NameCase::kConnected, "MSFS 2024 (1.37.19.0)"},
        NameCase{"Blank", "Kitty Hawk", true, NameCase::kUnknown,
                 "77: 'Kitty Hawk' not being MSFS 2020 or MSFS 2024 connects ... ?"},
        NameCase{"Other", "Prepar3D", false, NameCase::kUnknown,
                 "77: 'Prepar3D' not being MSFS 2020 or MSFS 2024 connects ... ?"},
        NameCase{"SunRiseFor2020", "SunRise", true, NameCase::kOtherSimulator, ""},
        NameCase{"KittyHawkFor2024", "KittyHawk", false, NameCase::kOtherSimulator, ""}),
    caseLabel<NameCase>);

class ConnectionEnd : public LinkTest, public ::testing::WithParamInterface<bool>
{
};

// The simulator quitting, or the connection failing for a tenth of a second
// on end, ends the session with "SIM WAS CLOSED"; the thread itself runs on
// until it is asked to stop.
TEST_P(ConnectionEnd, EndsTheSessionWithSimWasClosed)
{
    startWorld();
    ClientThread client;
    ASSERT_TRUE(waitUntil([] { return g_simRunning.load() == 1; }));

    if (GetParam())
    {
        world().quit();
    }
    else
    {
        world().failNextCalls("SimConnect_CallDispatch", 100);
    }
    ASSERT_TRUE(waitUntil([] { return g_stop.load() != 0; }));
    EXPECT_EQ(gf_exitReasonText(g_exitReason.load()), "SIM WAS CLOSED");
    EXPECT_EQ(g_restartDelay.load(), 0);
    EXPECT_EQ(g_simRunning.load(), 0);

    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(client.ended());
    client.stop();
    EXPECT_TRUE(client.ended());
}

INSTANTIATE_TEST_SUITE_P(Ends, ConnectionEnd, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& quit)
                         { return quit.param ? "Quit" : "FailingConnection"; });

} // namespace
} // namespace ovr::test
