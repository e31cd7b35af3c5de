// The traffic logic's per-pass costs: one pass with 100, 300 and 1,000 live
// aircraft flying (goal: at most 0.5 ms at 1,000), a burst of 1,000 ground
// reports of the by-type request, and live batches of 100, 300 and 600
// records that are all dropped as too early.
#include <benchmark/benchmark.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/code_pool.h"
#include "core/loop_clock.h"
#include "simlink/object_events.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_life.h"
#include "traffic/received_traffic.h"

namespace
{

using namespace ovr;

constexpr std::uint32_t kFirstKey = 0x400000;

PositionSample lf_sample(int aircraft, int k)
{
    PositionSample s;
    s.latitude = 50.0 + aircraft * 0.001;
    s.longitude = 8.0 + k * 0.02;
    s.altitude = 20000.0 + aircraft;
    s.groundSpeed = 400.0;
    s.trueAirspeed = 420.0;
    s.track = 90.0;
    s.airborne = 1;
    s.playMoment = g_clock.load() + static_cast<std::int64_t>(k) * 2000;
    return s;
}

// `count` active aircraft with samples for the whole run, each with an object.
void lf_fleet(int count)
{
    gf_clearTrafficState();
    // No SimConnect requests go out: the passes measure the traffic logic.
    g_simConnectError.store(1);
    const std::uint16_t model = gf_modelId("A320");
    for (int i = 0; i < count; ++i)
    {
        FlightBase flight;
        flight.key.model = model;
        flight.callsign = "BNC" + std::to_string(i);
        LiveAc ac = gf_makeLiveAc(lf_sample(i, 0), gf_makeAiRecord(flight, kFirstKey + static_cast<std::uint32_t>(i)),
                                  1000.0);
        for (int k = 1; k < 100; ++k)
        {
            ac.samples.push_back(lf_sample(i, k));
        }
        ac.simState = kSimStateActive;
        ac.situation = kSituationFlying;
        ac.objectId = 100 + static_cast<std::uint32_t>(i);
        g_liveAircraft.push_back(std::move(ac));
    }
}

void BM_Pass(benchmark::State& state)
{
    lf_fleet(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        lf_handleAddingStack();
        const std::lock_guard lock(g_simConnectMutex);
        g_posUpdates[1]->clear();
        g_clientEvents.clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    gf_clearTrafficState();
}
BENCHMARK(BM_Pass)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_ByTypeBurst(benchmark::State& state)
{
    lf_fleet(1000);
    std::vector<SimEvent> burst;
    for (std::uint32_t i = 0; i < 1000; ++i)
    {
        burst.push_back(SimEvent{100 + i, 0, 0, kSimEventGroundData, 300.0, 2000.0});
    }
    for (auto _ : state)
    {
        {
            const std::lock_guard lock(g_objectEventsMutex);
            g_objectEvents = burst;
        }
        lf_onGroundSlots();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    gf_clearTrafficState();
}
BENCHMARK(BM_ByTypeBurst)->Unit(benchmark::kMicrosecond);

void BM_DroppedLiveBatch(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    lf_fleet(count);
    std::vector<TrafficRecord> batch;
    for (int i = 0; i < count; ++i)
    {
        TrafficRecord r;
        r.hexId = kFirstKey + static_cast<std::uint32_t>(i);
        r.callsign = "BNC" + std::to_string(i);
        r.key.model = gf_modelId("A320");
        r.sample = lf_sample(i, 1);
        r.dataTime = 1000.5; // half a second after the last: dropped
        batch.push_back(r);
    }
    for (auto _ : state)
    {
        for (const TrafficRecord& r : batch)
        {
            gf_takeReceivedAc(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
    gf_clearTrafficState();
}
BENCHMARK(BM_DroppedLiveBatch)->Arg(100)->Arg(300)->Arg(600)->Unit(benchmark::kMicrosecond);

// One aircraft of three kinds in turn: cruising, taxiing straight, and
// taxiing through turns (curves at every segment start). The samples are
// spaced so that a segment starts every 50 passes.
LiveAc lf_mixedAc(int i)
{
    FlightBase flight;
    flight.key.model = gf_modelId("A320");
    flight.callsign = "MIX" + std::to_string(i);
    const int kind = i % 3;
    PositionSample s = lf_sample(i, 0);
    if (kind != 0)
    {
        s.altitude = 0.0;
        s.airborne = 0;
        s.groundSpeed = 15.0;
        s.trueAirspeed = 0.0;
    }
    LiveAc ac = gf_makeLiveAc(s, gf_makeAiRecord(flight, kFirstKey + static_cast<std::uint32_t>(i)), 1000.0);
    ac.samples.clear();
    for (int k = 0; k < 190; ++k)
    {
        PositionSample n = s;
        n.playMoment = g_clock.load() + static_cast<std::int64_t>(k) * 50;
        const double step = kind == 0 ? 0.002 : 0.00005;
        n.longitude = s.longitude + step * k;
        if (kind == 2)
        {
            n.latitude = s.latitude + ((k / 2) % 2 == 0 ? 0.0 : 0.00005); // zig-zag: a turn at each sample
        }
        ac.samples.push_back(n);
    }
    ac.cur.latitude = s.latitude;
    ac.cur.longitude = s.longitude;
    ac.cur.altitude = s.altitude;
    ac.groundMode = kind == 0 ? 0 : 1;
    ac.simState = kSimStateActive;
    ac.situation = kind == 0 ? kSituationFlying : kSituationTaxi;
    ac.airConfigDone = 1;
    ac.objectId = 100 + static_cast<std::uint32_t>(i);
    return ac;
}

void BM_UpdateLiveAcMixed(benchmark::State& state)
{
    gf_clearTrafficState();
    g_simConnectError.store(1);
    const std::int64_t start = g_clock.load();
    std::vector<LiveAc> fleet;
    for (int i = 0; i < 300; ++i)
    {
        fleet.push_back(lf_mixedAc(i));
    }
    std::vector<LiveAc> work = fleet;
    std::int64_t passes = 0;
    for (auto _ : state)
    {
        for (LiveAc& ac : work)
        {
            benchmark::DoNotOptimize(updateLiveAc(ac));
        }
        g_clock.fetch_add(1);
        if (++passes % 9000 == 0)
        {
            state.PauseTiming();
            g_clock.store(start);
            work = fleet;
            {
                const std::lock_guard lock(g_simConnectMutex);
                g_posUpdates[0]->clear();
                g_clientEvents.clear();
            }
            state.ResumeTiming();
        }
        else if (passes % 100 == 0)
        {
            const std::lock_guard lock(g_simConnectMutex);
            g_posUpdates[0]->clear();
            g_clientEvents.clear();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(work.size()));
    g_clock.store(start);
    gf_clearTrafficState();
}
BENCHMARK(BM_UpdateLiveAcMixed)->Unit(benchmark::kMicrosecond);

} // namespace
