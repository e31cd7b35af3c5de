// The helpers that run many times per main-loop pass for every aircraft, and
// the pool lookups of every decoded record.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/text_lines.h"

namespace ovr
{
namespace
{

void BM_DistanceNm(benchmark::State& state)
{
    LatLon a{52.3086, 4.7639}, b{51.4700, -0.4543};
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(gf_distanceNm(a, b));
    }
}
BENCHMARK(BM_DistanceNm);

void BM_PointOnCurve(benchmark::State& state)
{
    CurveRecord curve{52.0, 4.0, 0.0, 1000.0, 1000.0, 10.0, 0.0, 1000.0};
    LatLon p;
    double heading = 0;
    double t = 0;
    for (auto _ : state)
    {
        t = t >= 10.0 ? 0.0 : t + 0.01;
        benchmark::DoNotOptimize(gf_pointOnCurve(curve, t, p, heading));
    }
}
BENCHMARK(BM_PointOnCurve);

void BM_InternKnownCode(benchmark::State& state)
{
    CodePool pool("bench");
    for (int i = 0; i < 3000; ++i)
        pool.intern(fmt::format("C{}", i));
    for (auto _ : state)
        benchmark::DoNotOptimize(pool.intern("C1234"));
}
BENCHMARK(BM_InternKnownCode)->Threads(1)->Threads(4);

void BM_SplitLines(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += fmt::format("title=Airline {} livery\r\n", i);
    std::vector<std::string> lines;
    for (auto _ : state)
    {
        lines.clear();
        gf_splitLines(text, lines);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_SplitLines);

} // namespace
} // namespace ovr
