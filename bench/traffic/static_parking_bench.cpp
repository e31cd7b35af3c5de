// The static-parking calculation on a large airport: 500 stands with 30
// learned options each and 300 static aircraft already placed (goal: well
// under one 10 ms pass per call).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "airports/adjacent_stands.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "traffic/park_airports.h"

namespace
{

using namespace ovr;

constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;
constexpr double kSpacingMetres = 80.0;
constexpr int kStands = 500;
constexpr int kOptionsPerStand = 30;
constexpr int kStatics = 300;

std::vector<Stand> lf_makeStands()
{
    std::mt19937 engine(42);
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    const int columns = static_cast<int>(std::ceil(std::sqrt(kStands)));
    const std::uint16_t airlines[] = {gf_airlineId("KLM"), gf_airlineId("DLH"), gf_airlineId("EZY")};
    const std::uint16_t model = gf_modelId("A320");
    std::vector<Stand> stands;
    for (int i = 0; i < kStands; ++i)
    {
        Stand stand = gf_makeStand(std::to_string(i + 1), {}, (i / columns) * kSpacingMetres * kDegreesPerMetre,
                                   10.0 + (i % columns) * kSpacingMetres * kDegreesPerMetre, 0.0, 30.0, 0, false,
                                   false, false);
        stand.numericId = i + 1;
        for (int o = 0; o < kOptionsPerStand; ++o)
        {
            StandOption option;
            option.key = FlightKey{airlines[random() % 3], 0, model, 0, 0};
            option.registration = "R" + std::to_string(i * kOptionsPerStand + o);
            option.callsign = "CS" + std::to_string(i * kOptionsPerStand + o);
            option.id = static_cast<std::uint32_t>(o + 1);
            option.day = 1 + random() % 7;
            const std::uint32_t first = random() % 40;
            for (std::uint32_t s = first; s < first + 1 + random() % 8; ++s)
                option.hours |= gf_slotBit(s);
            option.real = random() % 4 == 0 ? 0 : 1;
            stand.options.push_back(std::move(option));
        }
        stands.push_back(std::move(stand));
    }
    gf_linkAdjacentStands(stands);
    return stands;
}

void BM_CalcStaticParked(benchmark::State& state)
{
    const std::vector<Stand> fresh = lf_makeStands();
    g_weekdayHour.store(gf_packWeekdayHour(3, 20));
    MAX_PARK_SEL.current.store(500);
    CUSTOM_PARKING_PERCENTAGE.current.store(80);
    WEEK.current.store(true);
    PARK_SOFT.current.store(true);
    std::mt19937 engine(7);
    for (auto _ : state)
    {
        state.PauseTiming();
        g_stands.edit([&](std::vector<Stand>& list) { list = fresh; });
        g_staticAircraft.clear();
        for (int i = 0; i < kStatics; ++i)
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
        gf_calcStaticParked();
        benchmark::DoNotOptimize(g_parkCandidates.data());
    }
    state.counters["candidates"] = static_cast<double>(g_parkCandidates.size());
}
BENCHMARK(BM_CalcStaticParked)->Unit(benchmark::kMillisecond);

} // namespace
