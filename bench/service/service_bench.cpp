// Decoding a live reply of 1,000 aircraft (the JSON parse and every record's
// decode) against nlohmann's bare parse of the same bytes: the anchor is the
// part no decoder can skip.
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <vector>

#include "core/parameters.h"
#include "fake-rt/scenario.h"
#include "fake-rt/traffic_generator.h"
#include "ratio.h"
#include "service/traffic_reader.h"

namespace ovr
{
namespace
{

constexpr double kNow = 1750000000.25;
constexpr std::size_t kAircraft = 1000;

// A reply as the service sends it, with kAircraft aircraft around the demo
// airport; snapshots of later moments are added until there are enough.
const std::string& lf_reply()
{
    static const std::string text = []
    {
        fakert::Scenario scenario = fakert::loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", kNow);
        scenario.traffic.aircraft = 400;
        const fakert::TrafficGenerator generator(scenario);
        const fakert::Box box{53.0, 47.0, 5.0, 12.0};
        nlohmann::json data = nlohmann::json::object();
        for (double t = kNow; data.size() < kAircraft; t += 3600.0)
        {
            for (const fakert::LiveAircraft& a : generator.liveTraffic(t, box, 0))
            {
                if (data.size() < kAircraft)
                    data[a.key + "_" + std::to_string(static_cast<long long>(t))] = a.array;
            }
        }
        const nlohmann::json reply = {{"status", 200}, {"rrl", 2000}, {"data", data}};
        return reply.dump();
    }();
    return text;
}

void BM_ParseReplyBare(benchmark::State& state)
{
    const std::string& text = lf_reply();
    for (auto _ : state)
    {
        nlohmann::json parsed = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseReplyBare)->Unit(benchmark::kMillisecond);

void BM_DecodeReply(benchmark::State& state)
{
    const std::string& text = lf_reply();
    // Every aircraft of the reply is in range.
    g_rangeNm.store(600.0);
    TrafficReader reader;
    reader.refPos.store(LatLon{50.0379, 8.5622});
    for (auto _ : state)
    {
        reader.liveRecords.clear();
        nlohmann::json parsed = nlohmann::json::parse(text);
        reader.decodeAircraft(parsed["data"]);
        benchmark::DoNotOptimize(reader.liveRecords.data());
    }
    state.counters["records"] = static_cast<double>(reader.liveRecords.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DecodeReply)->Unit(benchmark::kMillisecond);

const bool g_ratio = bench::addRatio("BM_DecodeReply", "BM_ParseReplyBare");

} // namespace
} // namespace ovr
