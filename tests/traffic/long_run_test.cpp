// The demo's half hour at Frankfurt in virtual time: the fake service's
// generated arrivals, departures and parked traffic (data/scenarios/
// rt-demo.json) beside the stand-in simulator of the demo (sim-demo.json),
// the user parked at the airport, whose stands the service and the parking
// file share; 20 minutes in, the parking is adjusted once. The session must
// stay within its limits the whole time, and a second run with the same seed
// must do exactly what the first did.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/stop_request.h"
#include "platform/simconnect/scenario_json.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/park_airports.h"
#include "traffic/static_parking.h"
#include "park_airport_session.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kScenarios = fs::path(VORA_DEMO_SCENARIOS);

// The live limit is one the user can choose and that the demo's traffic
// reaches; the park limit comes from the parking share of the stands.
constexpr std::int32_t kMaxLive = 25;
constexpr std::int32_t kMaxPark = 500;

bool lf_isCountedLive(const LiveAc& a)
{
    return a.simState == kSimStateAdding || a.simState == kSimStateActive || a.simState == kSimStateLiveryRespawn;
}

class LongRunTest : public ParkAirportSession
{
  protected:
    void SetUp() override
    {
        ParkAirportSession::SetUp();
        MAX_LIVE_SEL.current.store(kMaxLive);
        MAX_PARK_SEL.current.store(kMaxPark);
    }

    struct Run
    {
        std::string trace; // every creation and removal, and the counts every 10 s
        std::size_t mostLive = 0;
        std::size_t mostParkedLive = 0;
        std::size_t mostStatic = 0;
        std::size_t mostParked = 0; // static and live aircraft on stands
        std::size_t mostObjects = 0;
        std::size_t liveCreations = 0;
        std::size_t staticCreations = 0;
        std::vector<std::string> overLimit; // the first few moments a limit was passed
    };

    // The demo for 30 simulated minutes.
    Run runDemo()
    {
        const sim::Scenario simulator = sim::loadScenarioFile(kScenarios / "sim-demo.json");
        fakert::Scenario service = fakert::loadScenario(kScenarios / "rt-demo.json", static_cast<double>(kSessionEpoch));
        // The harness logs in with its own licence.
        service.accounts = trackScenario({}).accounts;
        g_airports = {Airport{IcaoCode("EDDF"), IataCode("FRA"), service.airport.pos.lat, service.airport.pos.lon,
                              static_cast<float>(service.airport.elevationFt),
                              static_cast<std::int32_t>(service.stands.size())}};
        const std::size_t objectCap = simulator.objectCap;

        start(simulator, service, {"SimConnect_SetDataOnSimObject", "SimConnect_RequestDataOnSimObject"});
        writeDemoParkingFile(service);

        Run run;
        std::int64_t nextSample = 0;
        runFor(30min,
               [&](std::int64_t ms)
               {
                   if (ms < nextSample)
                   {
                       return;
                   }
                   nextSample = ms + 1000;
                   const auto live = static_cast<std::size_t>(std::ranges::count_if(g_liveAircraft, lf_isCountedLive));
                   const auto parkedLive = static_cast<std::size_t>(std::ranges::count_if(
                       g_liveAircraft, [](const LiveAc& a)
                       { return a.situation == kSituationParked && a.simState == kSimStateActive; }));
                   // A static aircraft counts from its creation until its object is gone.
                   const auto statics = static_cast<std::size_t>(std::ranges::count_if(
                       g_staticAircraft, [](const StaticAc& s)
                       { return s.simState == kSimStateActive || s.simState == kSimStateRemoving; }));
                   const std::vector<sim::ObjectState> all = world().objects();
                   const auto objects = static_cast<std::size_t>(
                       std::ranges::count_if(all, [](const sim::ObjectState& o) { return !o.user; }));
                   const auto wanted = static_cast<std::size_t>(std::max(gf_wantedParking(), 0));
                   run.mostLive = std::max(run.mostLive, live);
                   run.mostParkedLive = std::max(run.mostParkedLive, parkedLive);
                   run.mostStatic = std::max(run.mostStatic, statics);
                   run.mostObjects = std::max(run.mostObjects, objects);
                   run.mostParked = std::max(run.mostParked, statics + parkedLive);
                   if ((live > static_cast<std::size_t>(kMaxLive) || statics > wanted || parkedLive > wanted ||
                        objects > objectCap) &&
                       run.overLimit.size() < 5)
                   {
                       run.overLimit.push_back(fmt::format("{} s: live {} parked live {} static {} (park limit {}) objects {}",
                                                           ms / 1000, live, parkedLive, statics, wanted, objects));
                   }
                   if (ms % 10000 < 1000)
                   {
                       run.trace += fmt::format("{} live {} parked {} static {} objects {}\n", ms / 1000, live,
                                                parkedLive, statics, objects);
                   }
               });
        for (const sim::CallRecord& r : calls())
        {
            if (r.fn == "SimConnect_AICreateNonATCAircraft" || r.fn == "SimConnect_AIRemoveObject")
            {
                run.trace += fmt::format("{} {} {}\n", r.atMs, r.fn, r.args.dump());
            }
            if (r.fn == "SimConnect_AICreateNonATCAircraft")
            {
                const std::string tail = r.args.value("tail", std::string());
                (!tail.empty() && tail.back() == '*' ? run.staticCreations : run.liveCreations) += 1;
            }
        }
        return run;
    }
};

TEST_F(LongRunTest, TheDemoHalfHourStaysWithinItsLimitsAndRunsTheSameTwice)
{
    const Run first = runDemo();

    EXPECT_TRUE(first.overLimit.empty()) << first.overLimit.front();
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_GT(liveReplies(), 800) << "the live requests went on all the time";
    // Arrivals and departures: live aircraft came and the live limit was reached.
    EXPECT_GT(first.liveCreations, static_cast<std::size_t>(kMaxLive));
    EXPECT_EQ(first.mostLive, static_cast<std::size_t>(kMaxLive));
    // Arrivals taxi to their stands, departures pull out of theirs.
    EXPECT_FALSE(logWith("arrived at stand").empty());
    EXPECT_FALSE(logWith("pulling out").empty());
    // Parking: live aircraft on stands, static aircraft placed and parked.
    EXPECT_GT(first.mostParkedLive, 0u);
    EXPECT_GT(first.staticCreations, 0u);
    EXPECT_GT(first.mostStatic, 0u);
    EXPECT_TRUE(std::ranges::any_of(logLines(), [](const std::string& line)
                                    { return line.ends_with(" parked") && line.find('*') != std::string::npos; }));
    // One adjustment of the parking, 20 minutes in.
    EXPECT_EQ(logWith("Parking adjustments: ").size(), 1u);

    TearDown();
    SetUp();
    const Run second = runDemo();
    EXPECT_TRUE(first.trace == second.trace) << "the second run went another way";
    if (first.trace != second.trace)
    {
        std::istringstream a(first.trace);
        std::istringstream b(second.trace);
        std::string la;
        std::string lb;
        while (std::getline(a, la) && std::getline(b, lb))
        {
            if (la != lb)
            {
                ADD_FAILURE() << "first difference:\n  " << la << "\n  " << lb;
                break;
            }
        }
    }
}

} // namespace
} // namespace ovr::test
