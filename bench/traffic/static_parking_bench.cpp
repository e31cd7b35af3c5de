// The static-parking calculation on large airports: 500 and 3,000 stands
// with 30 learned options each and 300 static aircraft already placed (goal:
// a fill within its budget of 2 ms, "of_budget" below 1).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "airports/adjacent_stands.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "bench_airport.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "traffic/park_airports.h"

namespace
{

using namespace ovr;


void BM_CalcStaticParked(benchmark::State& state)
{
    const std::vector<Stand> fresh = gf_benchAirportStands(30.0, true, static_cast<int>(state.range(0)));
    g_weekdayHour.store(gf_packWeekdayHour(3, 20));
    MAX_PARK_SEL.current.store(500);
    CUSTOM_PARKING_PERCENTAGE.current.store(80);
    WEEK.current.store(true);
    PARK_SOFT.current.store(true);
    std::mt19937 engine(7);
    FillBudget budget;
    for (auto _ : state)
    {
        state.PauseTiming();
        g_stands.edit([&](std::vector<Stand>& list) { list = fresh; });
        g_staticAircraft.clear();
        for (int i = 0; i < kBenchStatics; ++i)
        {
            const Stand& stand = fresh[engine() % fresh.size()];
            StaticAc ac;
            ac.aiKey = static_cast<std::uint32_t>(i + 1);
            ac.standId = static_cast<std::uint32_t>(stand.numericId);
            ac.latitude = stand.latitude;
            ac.longitude = stand.longitude;
            ac.callsign = "ST" + std::to_string(i) + "*";
            ac.registration = "S" + std::to_string(i);
            ac.origin = static_cast<std::uint32_t>(i % 2);
            ac.simState = kSimStateActive;
            g_staticAircraft.push_back(std::move(ac));
        }
        state.ResumeTiming();
        budget.time([] { gf_calcStaticParked(); });
        benchmark::DoNotOptimize(g_parkCandidates.data());
    }
    state.counters["candidates"] = static_cast<double>(g_parkCandidates.size());
    state.counters["of_budget"] = budget.share();
}
BENCHMARK(BM_CalcStaticParked)->Arg(kBenchStands)->Arg(kBenchStandsLargest)->Unit(benchmark::kMillisecond);

} // namespace
