// Decoding a live reply of 1,000 aircraft (the JSON read and every record's
// decode) against simdjson's bare read of the same bytes, every value
// visited: the anchor is the part no decoder can skip. The buffered reply of
// a busy area (9,529 aircraft in five snapshots) reports the most memory its
// decode holds at once, and the resident memory the session's first take of
// it adds (beside a DOM parse's). BM_ParseReplyNlohmann shows what a DOM parse alone
// costs for comparison.
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "core/parameters.h"
#include <fmt/format.h>

#include "fake-rt/scenario.h"
#include "fake-rt/traffic_generator.h"
#include "held_bytes.h"
#include "resident_peak.h"
#include "ratio.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "service/web_request_detail.h"

namespace ovr
{
namespace
{

constexpr double kNow = 1750000000.25;
constexpr std::size_t kAircraft = 1000;

// The aircraft of `count` arrays around the demo airport; snapshots of later
// moments are added until there are enough.
nlohmann::json lf_aircraft(std::size_t count)
{
    fakert::Scenario scenario = fakert::loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", kNow);
    scenario.traffic.aircraft = 400;
    const fakert::TrafficGenerator generator(scenario);
    const fakert::Box box{53.0, 47.0, 5.0, 12.0};
    nlohmann::json data = nlohmann::json::object();
    for (double t = kNow; data.size() < count; t += 3600.0)
    {
        for (const fakert::LiveAircraft& a : generator.liveTraffic(t, box, 0))
        {
            if (data.size() < count)
                data[a.key + "_" + std::to_string(static_cast<long long>(t))] = a.array;
        }
    }
    return data;
}

// The text as the receive path holds it: appended in libcurl's pieces of at
// most 16 KB to a reply that started with the reader's 16 KB.
std::string lf_received(const std::string& sent)
{
    constexpr std::size_t kPiece = 16384;
    std::string reply;
    reply.reserve(kPiece);
    std::string piece;
    for (std::size_t at = 0; at < sent.size(); at += kPiece)
    {
        piece = sent.substr(at, kPiece);
        (void)detail::lf_callbackwriter(piece.data(), 1, piece.size(), &reply);
    }
    return reply;
}

// A reply as the service sends it, with kAircraft aircraft, as received.
const std::string& lf_reply()
{
    static const std::string text = []
    {
        const nlohmann::json reply = {{"status", 200}, {"rrl", 2000}, {"data", lf_aircraft(kAircraft)}};
        return lf_received(reply.dump());
    }();
    return text;
}

// The first reply of a session over a busy area: five snapshots of about
// 1,900 aircraft each, as received.
const std::string& lf_bufferedReply()
{
    static const std::string text = []
    {
        constexpr std::size_t kBusy = 9529;
        const nlohmann::json all = lf_aircraft(kBusy);
        nlohmann::json data = nlohmann::json::object();
        std::size_t i = 0;
        for (const auto& [key, value] : all.items())
        {
            data[fmt::format("buffer_{}", i++ % 5)][key] = value;
        }
        const nlohmann::json reply = {{"status", 200}, {"rrl", 2000}, {"data", data}};
        return lf_received(reply.dump());
    }();
    return text;
}

// Every value of a JSON text visited, as a decoder must at least.
std::size_t lf_visit(simdjson::ondemand::value value)
{
    switch (value.type())
    {
    case simdjson::ondemand::json_type::object:
    {
        std::size_t n = 1;
        for (auto field : value.get_object())
        {
            (void)field.unescaped_key().value();
            n += lf_visit(field.value());
        }
        return n;
    }
    case simdjson::ondemand::json_type::array:
    {
        std::size_t n = 1;
        for (auto element : value.get_array())
            n += lf_visit(element.value());
        return n;
    }
    case simdjson::ondemand::json_type::number:
        return value.get_double().value() != 0.5 ? 1 : 0;
    case simdjson::ondemand::json_type::string:
        return value.get_string().value().size() != 0 ? 1 : 0;
    case simdjson::ondemand::json_type::boolean:
        return value.get_bool().value() ? 1 : 0;
    case simdjson::ondemand::json_type::null:
        return value.is_null().value() ? 1 : 0;
    }
    return 0;
}

void BM_ParseReplyBare(benchmark::State& state)
{
    const simdjson::padded_string text(lf_reply());
    simdjson::ondemand::parser parser;
    std::size_t values = 0;
    for (auto _ : state)
    {
        simdjson::ondemand::document document = parser.iterate(text);
        values = lf_visit(document.get_value());
        benchmark::DoNotOptimize(values);
    }
    state.counters["values"] = static_cast<double>(values);
    state.SetBytesProcessed(static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * text.size()));
}
BENCHMARK(BM_ParseReplyBare)->Unit(benchmark::kMillisecond);

void BM_ParseReplyNlohmann(benchmark::State& state)
{
    const std::string& text = lf_reply();
    for (auto _ : state)
    {
        nlohmann::json parsed = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * text.size()));
}
BENCHMARK(BM_ParseReplyNlohmann)->Unit(benchmark::kMillisecond);

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
        benchmark::DoNotOptimize(reader.decodeLiveReply(text));
        benchmark::DoNotOptimize(reader.liveRecords.data());
    }
    state.counters["records"] = static_cast<double>(reader.liveRecords.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * text.size()));
}
BENCHMARK(BM_DecodeReply)->Unit(benchmark::kMillisecond);

// The buffered reply taken as the session's first: the most memory held
// while it is read and decoded (the reply text itself not counted).
void BM_TakeBufferedReply(benchmark::State& state)
{
    const std::string& text = lf_bufferedReply();
    g_rangeNm.store(600.0);
    gf_setReceivedTaker(nullptr);
    // The resident memory the first take of a reader adds, as a session's
    // first reply does.
    const double residentRise = bench::residentRiseMB(
        [&]
        {
            TrafficReader reader;
            reader.refPos.store(LatLon{50.0379, 8.5622});
            std::int32_t status = 0;
            benchmark::DoNotOptimize(reader.takeBufferedReply(text, status));
            (void)reader.takeCollected();
        });
    std::int64_t peak = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        TrafficReader reader;
        reader.refPos.store(LatLon{50.0379, 8.5622});
        const std::int64_t before = bench::heldBytes();
        bench::resetPeakBytes();
        state.ResumeTiming();
        std::int32_t status = 0;
        benchmark::DoNotOptimize(reader.takeBufferedReply(text, status));
        state.PauseTiming();
        peak = std::max(peak, bench::peakBytes() - before);
        (void)reader.takeCollected();
        state.ResumeTiming();
    }
    state.counters["reply_MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["resident_rise_MB"] = residentRise;
}
BENCHMARK(BM_TakeBufferedReply)->Unit(benchmark::kMillisecond);

// What the DOM parse of the same buffered reply held at its most: the
// memory a decoder that parses whole replies into a DOM starts from.
void BM_ParseBufferedNlohmann(benchmark::State& state)
{
    const std::string& text = lf_bufferedReply();
    const double residentRise = bench::residentRiseMB(
        [&]
        {
            nlohmann::json parsed = nlohmann::json::parse(text);
            benchmark::DoNotOptimize(parsed);
        });
    std::int64_t peak = 0;
    for (auto _ : state)
    {
        const std::int64_t before = bench::heldBytes();
        bench::resetPeakBytes();
        nlohmann::json parsed = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(parsed);
        peak = std::max(peak, bench::peakBytes() - before);
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["resident_rise_MB"] = residentRise;
}
BENCHMARK(BM_ParseBufferedNlohmann)->Unit(benchmark::kMillisecond);

const bool g_ratio = bench::addRatio("BM_DecodeReply", "BM_ParseReplyBare");

} // namespace
} // namespace ovr
