// Per-call times of the stand searches on large airports: 1,000 and 3,000
// stands with 20 learned options each and 300 static aircraft (and, for the
// parking of a live aircraft, 100 parked live ones).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "airports/adjacent_stands.h"
#include "airports/nearest_stand.h"
#include "airports/parking_state.h"
#include "airports/stand_find.h"
#include "airports/stand_list.h"
#include "airports/static_parking_search.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"
#include "core/user_on_ground.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_parking.h"

namespace
{

using namespace ovr;

constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;
constexpr double kSpacingMetres = 80.0;
constexpr int kOptionsPerStand = 20;
constexpr int kStatics = 300;
const std::uint64_t kNow = gf_packWeekdayHour(3, 20);

LatLon lf_gridPosition(int index, int columns)
{
    return LatLon{(index / columns) * kSpacingMetres * kDegreesPerMetre,
                  10.0 + (index % columns) * kSpacingMetres * kDegreesPerMetre};
}

std::vector<Stand> lf_makeStands(int count)
{
    std::mt19937 engine(42);
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
    const std::uint16_t airlines[] = {gf_airlineId("KLM"), gf_airlineId("DLH"), gf_airlineId("EZY")};
    const std::uint16_t model = gf_modelId("A320");
    std::vector<Stand> stands;
    stands.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        const LatLon p = lf_gridPosition(i, columns);
        Stand stand =
            gf_makeStand(std::to_string(i + 1), {}, p.lat, p.lon, 0.0, 45.0, 0, false, false, false);
        stand.numericId = i + 1;
        for (int o = 0; o < kOptionsPerStand; ++o)
        {
            StandOption option;
            option.key = FlightKey{airlines[random() % 3], 0, model, 0, 0};
            option.registration = "R" + std::to_string(i * kOptionsPerStand + o);
            option.callsign = "CS" + std::to_string(i * kOptionsPerStand + o);
            if (o % 2 == 0)
                option.callsign2 = option.callsign + "X";
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
    return stands;
}

void lf_loadAirport(int count)
{
    g_userOnGround.store(1);
    gf_clearStands();
    std::vector<Stand> stands = lf_makeStands(count);
    gf_linkAdjacentStands(stands);
    g_stands.edit([&](std::vector<Stand>& list) { list = std::move(stands); });

    std::mt19937 engine(7);
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    g_staticAircraft.clear();
    for (int i = 0; i < kStatics; ++i)
    {
        const Stand& stand = g_stands[random() % g_stands.size()];
        StaticAc ac;
        ac.standId = static_cast<std::uint32_t>(stand.numericId);
        ac.latitude = stand.latitude;
        ac.longitude = stand.longitude;
        ac.callsign = "ST" + std::to_string(i) + "*";
        ac.registration = "S" + std::to_string(i);
        ac.origin = static_cast<std::uint32_t>(i % 2);
        ac.simState = kSimStateActive;
        g_staticAircraft.push_back(std::move(ac));
    }
}

void BM_NearestStandName(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    lf_loadAirport(count);
    const LatLon a = lf_gridPosition(count / 2, static_cast<int>(std::ceil(std::sqrt(count))));
    int i = 0;
    for (auto _ : state)
    {
        // Two positions in turn, so that every call searches.
        const double east = (i++ % 2) * 5.0 * kDegreesPerMetre;
        benchmark::DoNotOptimize(gf_nearestStandName(a.lat, a.lon + east));
    }
}
BENCHMARK(BM_NearestStandName)->Arg(1000)->Arg(3000);

void BM_FindStandNear(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    lf_loadAirport(count);
    AiAircraftRecord aircraft;
    aircraft.callsign = "CS100";
    aircraft.category = 2;
    aircraft.radius = 15.0 / 1852.0;
    const LatLon a = lf_gridPosition(count / 2, static_cast<int>(std::ceil(std::sqrt(count))));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            gf_findStandNear(LatLon{a.lat, a.lon + 30.0 * kDegreesPerMetre}, aircraft, 0.0593952, true));
}
BENCHMARK(BM_FindStandNear)->Arg(1000)->Arg(3000);

// A taxiing aircraft stops by a stand and is sent there: the stand search,
// the occupant and neighbour checks against the live and static aircraft, and
// the path in. The stand and its neighbours hold no static aircraft, so that
// every call does the same work.
void BM_Try2Park(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    lf_loadAirport(count);
    const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
    const Stand& target = g_stands[static_cast<std::size_t>(count / 2)];
    std::erase_if(g_staticAircraft, [&](const StaticAc& st)
                  {
                      const auto id = static_cast<std::int32_t>(st.standId);
                      return id == target.numericId || std::ranges::find(target.adjacent, id) != target.adjacent.end();
                  });
    g_liveAircraft.clear();
    g_liveAircraft.reserve(101);
    for (int i = 0; i < 100; ++i)
    {
        const Stand& stand = g_stands[static_cast<std::size_t>((i * 7919) % count)];
        if (stand.numericId == target.numericId)
            continue;
        LiveAc parked;
        parked.aiKey = 20000 + static_cast<std::uint32_t>(i);
        parked.callsign = "LV" + std::to_string(i);
        parked.radius = 15.0 / 1852.0;
        parked.standId = static_cast<std::uint32_t>(stand.numericId);
        parked.situation = kSituationParked;
        parked.simState = kSimStateActive;
        g_liveAircraft.push_back(std::move(parked));
    }
    LiveAc ac;
    ac.aiKey = 30000;
    ac.callsign = "DLH1";
    ac.category = 2;
    ac.radius = 15.0 / 1852.0;
    ac.standSpeed = 4.0;
    ac.simState = kSimStateActive;
    g_liveAircraft.push_back(ac);
    LiveAc& taxiing = g_liveAircraft.back();
    const LatLon a = lf_gridPosition(count / 2, columns);
    PositionSample stop;
    stop.latitude = a.lat;
    stop.longitude = a.lon + 10.0 * kDegreesPerMetre;
    stop.onGround = 1;
    for (auto _ : state)
    {
        taxiing.situation = kSituationTaxi;
        taxiing.lastParkLatitude = 0.0;
        taxiing.samples.assign(1, stop);
        try2Park(taxiing, false);
        benchmark::DoNotOptimize(taxiing.standId);
    }
    if (taxiing.standId != static_cast<std::uint32_t>(target.numericId))
        state.SkipWithError("the aircraft was not sent to the stand by it");
    g_liveAircraft.clear();
}
BENCHMARK(BM_Try2Park)->Arg(1000)->Arg(3000);

void BM_SearchStands(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    lf_loadAirport(count);
    std::vector<ParkCandidate> candidates;
    candidates.reserve(4096);
    for (auto _ : state)
    {
        state.PauseTiming();
        candidates.clear();
        for (Stand& stand : g_stands)
        {
            stand.staticTaken = 0;
            stand.adjacentTaken = 0;
            for (std::size_t o = 0; o < stand.options.size(); ++o)
                stand.options[o].id = static_cast<std::uint32_t>(o + 1);
        }
        state.ResumeTiming();
        lf_searchStands(kNow, 2, 0, 4, candidates, 4);
        benchmark::DoNotOptimize(candidates.data());
    }
}
BENCHMARK(BM_SearchStands)->Arg(1000)->Arg(3000)->Unit(benchmark::kMicrosecond);

void BM_LinkAdjacentStands(benchmark::State& state)
{
    std::vector<Stand> fresh = lf_makeStands(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        state.PauseTiming();
        std::vector<Stand> stands = fresh;
        state.ResumeTiming();
        gf_linkAdjacentStands(stands);
        benchmark::DoNotOptimize(stands.data());
    }
}
BENCHMARK(BM_LinkAdjacentStands)->Arg(1000)->Arg(3000)->Unit(benchmark::kMicrosecond);

} // namespace
