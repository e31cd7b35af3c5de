// The main loop's passes with 100, 300 and 1,000 live aircraft, on the
// virtual-time harness: the fake service's replies go through the reader's
// decoding and hand-over, the stand-in simulator creates and moves the
// objects, and the loop runs as in a session. One iteration is one simulated
// second (100 passes, one of them with the per-second jobs); the time between
// the passes (stand-in, dispatch, replies) is taken out, so the figure is the
// main thread's own. That work runs on a thread of its own, as it does beside
// the program, so that its memory comes from another allocator arena: on the
// main thread's, a pass's allocation could pay for tidying up the thousands
// of small blocks a reply's JSON left behind. Besides the mean, each case reports the median, the
// 99th percentile and the worst of its passes, and the worst of the passes
// that took the records of a live reply (one arrives every request
// interval), in wall time and in the main thread's CPU time (cpu_...).
//
// Anchor: the least a pass has to do for the same aircraft, a position
// worked out between two samples and handed over for each of them.
//
// The selection limit offers at most 500; the 1,000 case sets it beyond, to
// see how a pass grows.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <map>
#include <random>
#include <vector>

#include "core/parameters.h"
#include "ratio.h"
#include "simlink/sim_queues.h"
#include "traffic/live_aircraft.h"
#include "virtual_session.h"

namespace
{

using namespace ovr;
using namespace std::chrono_literals;

// The demo fleet has liveries of every airline for these two.
constexpr const char* kTypes[] = {"A320", "B738"};

// Aircraft flying circles of 5 nm radius (a lap in about seven and a half
// minutes at 250 kt) at different levels, scattered within 20 nm of the user.
std::vector<fakert::Track> lf_circlingTracks(int count)
{
    constexpr double kRadiusNm = 5.0;
    constexpr double kSpeedKt = 250.0;
    constexpr int kPointsPerLap = 36;
    constexpr int kLaps = 4;
    const double lapS = 2.0 * std::numbers::pi * kRadiusNm / kSpeedKt * 3600.0;
    std::mt19937 engine(26);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<fakert::Track> tracks;
    for (int i = 0; i < count; ++i)
    {
        fakert::Track t;
        t.hex = fmt::format("{:06x}", 0x400000 + i);
        t.callsign = fmt::format("BNC{}", i);
        t.type = kTypes[static_cast<std::size_t>(i) % std::size(kTypes)];
        t.registration = fmt::format("D-B{:03}", i);
        const double centreLat = 52.5 + unit(engine) * 0.25;
        const double centreLon = 3.0 + unit(engine) * 0.4;
        const double altitudeFt = 6000.0 + 100.0 * (i % 250);
        const double phase = unit(engine) * std::numbers::pi;
        for (int k = 0; k <= kLaps * kPointsPerLap; ++k)
        {
            const double angle = phase + 2.0 * std::numbers::pi * k / kPointsPerLap;
            const double lat = centreLat + kRadiusNm / 60.0 * std::sin(angle);
            const double lon = centreLon + kRadiusNm / 60.0 * std::cos(angle) / std::cos(centreLat * std::numbers::pi / 180.0);
            t.points.push_back(fakert::TrackPoint{-60.0 + lapS * k / kPointsPerLap, {lat, lon}, altitudeFt, kSpeedKt});
        }
        tracks.push_back(std::move(t));
    }
    return tracks;
}

std::size_t lf_active()
{
    std::size_t n = 0;
    for (const LiveAc& a : g_liveAircraft)
    {
        n += a.simState == kSimStateActive ? 1 : 0;
    }
    return n;
}

// The harness outside GoogleTest: the fixture's set-up and tear-down by hand.
class PassSession : public test::VirtualSession
{
  public:
    void TestBody() override {}

    // Until `count` aircraft fly as active objects, or ten simulated
    // minutes have gone by (the creations take their time).
    std::size_t open(int count)
    {
        SetUp();
        betweenPassesOnOwnThread();
        MAX_LIVE_SEL.current.store(count);
        AUTO_RANGE.current.store(false);
        // Nothing here reads the stand-in's call log: the calls a pass makes
        // are not logged, so that the stand-in does not build their records.
        start(test::airborneUser(), test::trackScenario(lf_circlingTracks(count)),
              {"SimConnect_SetDataOnSimObject", "SimConnect_RequestDataOnSimObject",
               "SimConnect_RequestDataOnSimObjectType", "SimConnect_TransmitClientEvent"});
        for (int s = 0; s < 600 && lf_active() < static_cast<std::size_t>(count); s += 5)
        {
            runFor(5s);
        }
        return lf_active();
    }

    // One simulated second; the main loop's own wall time. Each pass's own
    // time is kept, and apart those of the passes that took records of a
    // reply.
    std::chrono::nanoseconds second()
    {
        const std::chrono::nanoseconds outside = betweenPasses();
        const auto start = std::chrono::steady_clock::now();
        runFor(1s);
        const std::chrono::nanoseconds took = std::chrono::steady_clock::now() - start - (betweenPasses() - outside);
        for (const PassTime& pass : passTimes())
        {
            const double us = std::chrono::duration<double, std::micro>(pass.wall).count();
            const double cpuUs = std::chrono::duration<double, std::micro>(pass.cpu).count();
            passes.push_back(us);
            cpuPasses.push_back(cpuUs);
            if (pass.tookRecords)
            {
                replyPasses.push_back(us);
                cpuReplyPasses.push_back(cpuUs);
            }
        }
        return took;
    }

    std::vector<double> passes;      // microseconds
    std::vector<double> replyPasses; // microseconds
    // The same passes in the main thread's CPU time.
    std::vector<double> cpuPasses;
    std::vector<double> cpuReplyPasses;

    void close() { TearDown(); }
};

// The value below which the fraction q of the values lie (nearest rank).
double lf_quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

// The program's folders in a temporary one rather than the user's own.
void lf_privateFolders()
{
    static const bool set = []
    {
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / fmt::format("vora-bench-loop-{}", std::random_device{}());
        for (const char* name : {"VORA_APPDATA", "VORA_LOCALAPPDATA", "VORA_LOCK_DIR"})
        {
            std::filesystem::create_directories(root / name);
            setenv(name, (root / name).c_str(), 0);
        }
        setenv("VORA_HEADLESS", "1", 0);
        return true;
    }();
    (void)set;
}

// The aircraft of each size as the measured passes found them, for the
// anchor.
struct Snapshot
{
    std::vector<LiveAc> aircraft;
    std::int64_t clock = 0;
};
std::map<std::int64_t, Snapshot>& lf_snapshots()
{
    static std::map<std::int64_t, Snapshot> snapshots;
    return snapshots;
}

void BM_MainLoopPass(benchmark::State& state)
{
    lf_privateFolders();
    PassSession session;
    const std::size_t active = session.open(static_cast<int>(state.range(0)));
    lf_snapshots()[state.range(0)] = Snapshot{g_liveAircraft, g_clock.load()};
    double seconds = 0.0;
    for (auto _ : state)
    {
        const double s = std::chrono::duration<double>(session.second()).count();
        state.SetIterationTime(s);
        seconds += s;
    }
    state.counters["active"] = static_cast<double>(active);
    state.counters["active_at_end"] = static_cast<double>(lf_active());
    state.counters["pass_us"] = seconds * 1e6 / (static_cast<double>(state.iterations()) * 100.0);
    state.counters["pass_p50_us"] = lf_quantile(session.passes, 0.50);
    state.counters["pass_p99_us"] = lf_quantile(session.passes, 0.99);
    state.counters["pass_max_us"] = lf_quantile(session.passes, 1.0);
    // The passes that took records of a live reply, the worst of them.
    state.counters["reply_passes"] = static_cast<double>(session.replyPasses.size());
    state.counters["reply_pass_max_us"] = lf_quantile(session.replyPasses, 1.0);
    // In CPU time: what the passes cost without the time other processes
    // took the core from them (on a busy machine the wall-time tail is
    // theirs).
    state.counters["cpu_p50_us"] = lf_quantile(session.cpuPasses, 0.50);
    state.counters["cpu_p99_us"] = lf_quantile(session.cpuPasses, 0.99);
    state.counters["cpu_max_us"] = lf_quantile(session.cpuPasses, 1.0);
    state.counters["reply_cpu_max_us"] = lf_quantile(session.cpuReplyPasses, 1.0);
    session.close();
}
BENCHMARK(BM_MainLoopPass)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

// 100 passes of: each aircraft's position between its first two samples at
// the pass's moment, into the hand-over buffer.
void BM_MainLoopPassBare(benchmark::State& state)
{
    Snapshot& snapshot = lf_snapshots()[state.range(0)];
    if (snapshot.aircraft.empty())
    {
        lf_privateFolders();
        PassSession session;
        session.open(static_cast<int>(state.range(0)));
        snapshot = Snapshot{g_liveAircraft, g_clock.load()};
        session.close();
    }
    const std::vector<LiveAc>& aircraft = snapshot.aircraft;
    const std::int64_t clock = snapshot.clock;
    std::vector<PosUpdate> buffer;
    for (auto _ : state)
    {
        for (int pass = 0; pass < 100; ++pass)
        {
            buffer.clear();
            const std::int64_t now = clock + pass;
            for (const LiveAc& a : aircraft)
            {
                if (a.samples.size() < 2)
                {
                    continue;
                }
                const PositionSample& p = a.samples[0];
                const PositionSample& q = a.samples[1];
                const double span = static_cast<double>(std::max<std::int64_t>(q.playMoment - p.playMoment, 1));
                const double f = static_cast<double>(now - p.playMoment) / span;
                PosUpdate u;
                u.latitude = p.latitude + (q.latitude - p.latitude) * f;
                u.longitude = p.longitude + (q.longitude - p.longitude) * f;
                u.altitude = p.altitude + (q.altitude - p.altitude) * f;
                u.heading = (p.track + (q.track - p.track) * f) * std::numbers::pi / 180.0;
                u.trueAirspeed = p.trueAirspeed;
                u.objectId = a.objectId;
                buffer.push_back(u);
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.counters["aircraft"] = static_cast<double>(aircraft.size());
}
BENCHMARK(BM_MainLoopPassBare)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

const bool kRatios = ovr::bench::addRatio("BM_MainLoopPass/100/iterations:30/manual_time", "BM_MainLoopPassBare/100") &&
                     ovr::bench::addRatio("BM_MainLoopPass/300/iterations:30/manual_time", "BM_MainLoopPassBare/300") &&
                     ovr::bench::addRatio("BM_MainLoopPass/1000/iterations:30/manual_time", "BM_MainLoopPassBare/1000");

} // namespace
