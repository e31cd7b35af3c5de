// The flight check on virtual-time sessions: the demo's generated traffic
// at Frankfurt and the feeds with a real feed's defects (data/scenarios/
// feed-*.json, docs/scenarios.md), each flown against the stand-in
// simulator of the demo while the stand-in's trace and the positions the
// service sent are recorded; the live aircraft must fly within the limits
// of tools/trace-plot/flight_check.h.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "flight_check.h"
#include "park_airport_session.h"
#include "platform/simconnect/scenario_json.h"
#include "../support/test_files.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;

const fs::path kScenarios = fs::path(VORA_DEMO_SCENARIOS);

struct FeedCase
{
    const char* name;
    const char* serviceFile;
    int seconds; // long enough for the last track's end to be played
};

class FlightQuality : public ParkAirportSession, public testing::WithParamInterface<FeedCase>
{
};

TEST_P(FlightQuality, LiveAircraftFlyWithinTheLimits)
{
    const FeedCase& c = GetParam();
    const sim::Scenario simulator = sim::loadScenarioFile(kScenarios / "sim-demo.json");
    fakert::Scenario service = fakert::loadScenario(kScenarios / c.serviceFile, static_cast<double>(kSessionEpoch));
    // The harness logs in with its own licence.
    service.accounts = trackScenario({}).accounts;
    g_airports = {Airport{IcaoCode("EDDF"), IataCode("FRA"), service.airport.pos.lat, service.airport.pos.lon,
                          static_cast<float>(service.airport.elevationFt),
                          static_cast<std::int32_t>(service.stands.size())}};
    // A folder of this run's own: two runs on one machine must not read
    // each other's trace.
    const TempFolder temp(fmt::format("flight-quality-{}", c.name));
    const fs::path& folder = temp.path();
    const fs::path tracePath = folder / "sim-trace.jsonl";
    const fs::path positionsPath = folder / "positions.jsonl";
    recordTo(tracePath, positionsPath);
    start(simulator, service, {"SimConnect_SetDataOnSimObject", "SimConnect_RequestDataOnSimObject"});
    writeDemoParkingFile(service);
    runFor(std::chrono::seconds(c.seconds));
    dumpIfAsked();

    std::ifstream traceIn(tracePath);
    const traceplot::Trace trace = traceplot::readTrace(traceIn);
    std::ifstream positionsIn(positionsPath);
    const std::vector<traceplot::FeedAircraft> feed = traceplot::readFeedPositions(positionsIn);
    traceplot::CheckOptions options;
    options.epochMsAtZero = static_cast<double>(kSessionEpoch) * 1000.0;
    const traceplot::FlightCheck check = traceplot::checkFlights(trace, feed, options);
    const auto matched = std::count_if(check.aircraft.begin(), check.aircraft.end(),
                                       [](const traceplot::AircraftCheck& a) { return !a.feedKey.empty(); });
    EXPECT_GT(matched, 0) << "nothing flown to check\n" << traceplot::checkText(check);
    EXPECT_TRUE(check.passed()) << traceplot::checkText(check);
}

const FeedCase kCases[] = {
    {"demo", "rt-demo.json", 300},
    {"sparse", "feed-sparse.json", 420},
    {"gaps", "feed-gaps.json", 420},
    {"jump", "feed-jump.json", 360},
    {"no_vertical_rate", "feed-no-vertical-rate.json", 420},
    {"duplicate_callsigns", "feed-duplicate-callsigns.json", 420},
    {"range_edge", "feed-range-edge.json", 360},
};

INSTANTIATE_TEST_SUITE_P(Feeds, FlightQuality, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FeedCase>& p) { return std::string(p.param.name); });

} // namespace
} // namespace ovr::test
