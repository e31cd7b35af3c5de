// Scenario files: the shipped demo reads, keys map to the scenario, and a
// mistake is refused with the key that is wrong.
#include "platform/simconnect/scenario_json.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <stdexcept>

namespace ovr::sim
{
namespace
{

using nlohmann::json;

TEST(ScenarioJson, TheDemoScenarioReads)
{
    const Scenario s = loadScenarioFile(std::string(VORA_SOURCE_DIR) + "/data/scenarios/sim-demo.json");
    EXPECT_EQ(s.applicationName, "KittyHawk");
    EXPECT_TRUE(s.installed.acceptAll);
    ASSERT_FALSE(s.airports.empty());
    EXPECT_EQ(s.airports[0].icao, "EDDF");
    EXPECT_GE(s.airports[0].parkings.size(), 5U);
    EXPECT_TRUE(s.user.pose.onGround);
    EXPECT_NEAR(s.user.pose.latDeg, s.airports[0].latDeg, 0.05);
}

TEST(ScenarioJson, KeysMapToTheScenario)
{
    const json j = json::parse(R"({
        "application": {"name": "SunRise", "version": [1, 2, 3, 4]},
        "running": false,
        "flight_loaded_as": "event",
        "user": {"object_id": 7, "title": "T", "lat": 50.0, "lon": 8.0, "alt_ft": 3000,
                 "path": [{"t_s": 0, "lat": 50.0, "lon": 8.0}, {"t_s": 1.5, "lat": 50.1, "lon": 8.0}]},
        "installed": {"accept_all": false, "titles": [{"title": "T", "cg_height_ft": 9.5}]},
        "airports": [{"icao": "EDDF", "lat": 50.0, "lon": 8.0,
                      "parkings": [{"name": "GATE_B", "type": "GATE_HEAVY", "number": 26,
                                    "lat": 50.001, "lon": 8.0}]}],
        "events": [{"at_s": 2, "kind": "fail_calls", "call": "SimConnect_Open", "count": 3},
                   {"at_s": 1, "kind": "teleport", "lat": 51.0, "lon": 9.0}]
    })");
    const Scenario s = scenarioFromJson(j);
    EXPECT_EQ(s.applicationName, "SunRise");
    EXPECT_EQ(s.version[3], 4U);
    EXPECT_FALSE(s.running);
    EXPECT_TRUE(s.flightLoadedAsEvent);
    EXPECT_EQ(s.user.objectId, 7U);
    EXPECT_FALSE(s.user.pose.onGround) << "given an altitude, in the air";
    ASSERT_EQ(s.user.path.size(), 2U);
    EXPECT_EQ(s.user.path[1].atMs, 1500);
    EXPECT_FALSE(s.installed.acceptAll);
    EXPECT_DOUBLE_EQ(s.installed.titles[0].cgHeightFt, 9.5);
    const TaxiParking& p = s.airports[0].parkings[0];
    EXPECT_EQ(p.name, 13);
    EXPECT_EQ(p.type, 10);
    EXPECT_NEAR(p.biasZM, 111.2, 0.1) << "a thousandth of a degree north";
    EXPECT_NEAR(p.biasXM, 0.0, 1e-6);
    ASSERT_EQ(s.events.size(), 2U);
    const auto* fail = std::get_if<script::FailCalls>(&s.events[0].action);
    ASSERT_NE(fail, nullptr);
    EXPECT_EQ(fail->count, 3);
    EXPECT_TRUE(std::holds_alternative<script::Teleport>(s.events[1].action));
}

struct BadCase
{
    const char* json;
    const char* message; // part of the error
};

class BadScenario : public testing::TestWithParam<BadCase>
{
};

TEST_P(BadScenario, IsRefusedNamingTheKey)
{
    try
    {
        scenarioFromJson(json::parse(GetParam().json));
        FAIL() << "accepted";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, BadScenario,
    testing::Values(BadCase{R"({"runing": true})", "runing: unknown key"},
                    BadCase{R"({"user": {"lat": "north"}})", "user.lat: expected a number"},
                    BadCase{R"({"user": {"object_id": 0}})", "user.object_id: out of range"},
                    BadCase{R"({"application": {"version": [1, 2]}})", "application.version"},
                    BadCase{R"({"events": [{"kind": "explode"}]})", "events[0].kind: unknown event"},
                    BadCase{R"({"airports": [{"icao": "EDDF", "parkings": [{"name": "GATE_AA"}]}]})",
                            "airports[0].parkings[0].name"},
                    BadCase{R"({"user": {"path": [{"t_s": 2}, {"t_s": 1}]}})",
                            "user.path: the times must increase"},
                    BadCase{R"({"events": [{"kind": "fail_calls", "call": "SimConnect_Opn"}]})",
                            "events[0].call: not a SimConnect function"},
                    BadCase{R"([1, 2])", "expected an object"}));

TEST(ScenarioJson, AMissingFileIsNamed)
{
    EXPECT_THROW(
        {
            try
            {
                loadScenarioFile("/nonexistent/scenario.json");
            }
            catch (const std::runtime_error& e)
            {
                EXPECT_NE(std::string(e.what()).find("/nonexistent/scenario.json"), std::string::npos);
                throw;
            }
        },
        std::runtime_error);
}

} // namespace
} // namespace ovr::sim
