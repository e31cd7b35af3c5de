// The livery matching at a large user's size: 40,000 scanned liveries of 300
// airlines and 40 types, and 100,000 generated aircraft of every kind
// (listed registrations, airlines with and without liveries of their type,
// operated flights, private aircraft, types only the category step serves).
// One iteration spawns every aircraft once; the counters give the latency
// and the heap allocations of one match per step path ("s0".."s6" by the
// step that matched, "none" without a livery), with the log open as in the
// program.
//
// BM_MatchAll matches the same aircraft without the per-match counting, with
// what earlier matches remembered forgotten before each round; its anchor
// (BM_MatchAllBare) is the least a match can be: one hash lookup of the
// liveries by airline and type, one by type alone, and a pick.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/library_init.h"
#include "core/log.h"
#include "core/log_detail.h"
#include "core/parameters_file_detail.h"
#include "core/random_detail.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/model_lookups.h"
#include "liveries/livery_matching.h"
#include "liveries/regcode_tables.h"
#include "ratio.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace
{

std::atomic<std::uint64_t> g_allocations{0};

} // namespace

// Every heap allocation of the process is counted. The replaced operators
// pair malloc with free; GCC, seeing both inlined, takes them for a
// mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{

constexpr int kLiveries = 40000;
constexpr int kAircraft = 100000;
constexpr int kAirlines = 300;

constexpr const char* kLarge[] = {"A319", "A320", "A321", "A20N", "B737", "B738", "B739", "E190",
                                  "E195", "CRJ7", "CRJ9", "AT72", "AT76", "DH8D", "B752", "A21N"};
constexpr const char* kHeavy[] = {"A332", "A333", "A359", "A388", "B744",
                                  "B748", "B772", "B77W", "B77L", "B789"};
constexpr const char* kLight[] = {"C152", "C172", "C182", "PA28", "SR22", "DA40"};
constexpr const char* kBuzjet[] = {"C25C", "C56X", "CL35", "GLF6"};
constexpr const char* kRotor[] = {"EC35", "EC45", "A139", "R44"};

std::string lf_airline(int i)
{
    return fmt::format("{}{}{}", char('A' + i % 26), char('A' + i / 26 % 26), char('K' + i / 676 % 10));
}

std::string lf_registration(int i)
{
    static constexpr const char* kPrefixes[] = {"D-", "HB-", "OE-", "PH-", "G-", "N", "F-", "EI-"};
    return fmt::format("{}{}{}{}{}", kPrefixes[i % 8], char('A' + i / 8 % 26), char('A' + i / 208 % 26),
                       char('A' + i / 5408 % 26), i % 3 == 0 ? "" : "X");
}

std::vector<std::string> lf_allTypes()
{
    std::vector<std::string> types;
    for (const char* t : kLarge)
        types.emplace_back(t);
    for (const char* t : kHeavy)
        types.emplace_back(t);
    for (const char* t : kLight)
        types.emplace_back(t);
    for (const char* t : kBuzjet)
        types.emplace_back(t);
    for (const char* t : kRotor)
        types.emplace_back(t);
    return types;
}

std::string lf_join(const auto& list)
{
    std::string text;
    for (const char* item : list)
        text += fmt::format("{}{}", text.empty() ? "" : ",", item);
    return text;
}

std::string lf_databaseText()
{
    const std::vector<std::string> types = lf_allTypes();
    std::string all;
    for (const std::string& t : types)
        all += t + ",";
    return fmt::format(R"(<root><aircrafts><aircraft types="{0}"/></aircrafts>
<cargo_types><cargo_type types="B77L,B748"/></cargo_types><heavy><hvy types="{1}"/></heavy>
<large><lar types="{2}"/></large><buzjet><bzj types="{3}"/></buzjet>
<high_performance><hpf types="F16"/></high_performance><rotorcraft><rot types="{4}"/></rotorcraft>
<similar_types><similar types="A319,A320,A321"/><similar types="B737,B738,B739"/><similar types="E190,E195"/>
<similar types="CRJ7,CRJ9"/><similar types="AT72,AT76"/><similar types="A332,A333"/><similar types="B772,B77W,B77L"/>
<similar types="C152,C172,C182"/><similar types="EC35,EC45"/></similar_types>
<prefixes><similar types="D-, HB-, OE-"/><similar types="PH-, OO-, LX-"/><similar types="G-, M-, EI-"/></prefixes>
<ICAO_airlines><ICAO codes="KLM,DLH"/></ICAO_airlines><cargo_operators><ICAO codes="FDX"/></cargo_operators>
<simaddons20><simaddon20 arpts="EHAM"/></simaddons20><simaddons24><simaddon24 arpts="EHAM"/></simaddons24>
<dbase></dbase></root>)",
                       all, lf_join(kHeavy), lf_join(kLarge), lf_join(kBuzjet), lf_join(kRotor));
}

// Airlines fly the large and heavy types (each airline some of them, some
// operated by another airline); generic liveries of the small types; private
// ones with registrations of several prefixes. Every 50th livery is special
// (bound to its registration) in the AIG list.
struct ScannedLivery
{
    std::string airline;
    std::string model;
    std::string title;
};

std::string lf_scannedText(std::vector<std::string>& registrations, std::string& aig, std::vector<ScannedLivery>& liveries)
{
    std::mt19937 engine(42);
    std::string text =
        R"(<?xml version="1.0" encoding="UTF-8"?><root><meta><info name="copyright" value="bench"/>)"
        R"(<info name="sim" value="1"/></meta><liveries>)";
    for (int i = 0; i < kLiveries; ++i)
    {
        const int kind = i % 20;
        std::string airline;
        std::string operating;
        std::string model;
        if (kind < 16)
        {
            airline = lf_airline(static_cast<int>(engine() % kAirlines));
            model = kind < 12 ? kLarge[engine() % std::size(kLarge)] : kHeavy[engine() % std::size(kHeavy)];
            if (kind == 3)
                operating = lf_airline(static_cast<int>(engine() % kAirlines));
        }
        else if (kind < 18)
        {
            airline = "ZZZ";
            model =
                kind == 16 ? kLight[engine() % std::size(kLight)] : kBuzjet[engine() % std::size(kBuzjet)];
        }
        else
        {
            airline = "PVT";
            model = kind == 18 ? kLight[engine() % std::size(kLight)] : kRotor[engine() % std::size(kRotor)];
        }
        const std::string registration = lf_registration(i);
        registrations.push_back(registration);
        const std::string title = fmt::format("{} {} {} livery {}", model, airline, operating, i);
        liveries.push_back(ScannedLivery{airline, model, title});
        text += fmt::format(R"(<l a="{}"{} m="{}"{} t="{}" r="{}"/>)", airline,
                            operating.empty() ? "" : fmt::format(R"( o="{}")", operating), model,
                            model == "B77L" ? R"( c="true")" : "", title, registration);
        if (i % 50 == 0)
            aig += fmt::format(R"(<l t="{}" r="{}" s="true"/>)", title, registration);
    }
    aig =
        fmt::format(R"(<root><meta><info name="copyright" value="bench"/><info name="sim" value="1"/></meta>)"
                    R"(<aig>{}</aig></root>)",
                    aig);
    return text + "</liveries></root>";
}

struct Fixture
{
    fs::path root =
        fs::temp_directory_path() / fmt::format("vora-bench-matching-{:08x}", std::random_device{}());
    std::vector<ovr::AiAircraftRecord> aircraft;
    std::vector<ScannedLivery> liveries;

    Fixture()
    {
        ovr::gf_initLibraries();
        fs::create_directories(root / "input");
        fs::create_directories(root / "output");
        std::ofstream(root / "input" / "dbase.enc", std::ios::binary)
            << ovr::datatool::encryptText(lf_databaseText());
        std::vector<std::string> registrations;
        std::string aig;
        std::ofstream(root / "output" / "LiveriesScanned.xml", std::ios::binary)
            << lf_scannedText(registrations, aig, liveries);
        std::ofstream(root / "input" / "AIG-regcodes.enc", std::ios::binary)
            << ovr::datatool::encryptText(aig);
        fs::current_path(root);
        ovr::detail::setParametersFile(root / "parameters.xml");
        ovr::detail::openLogAt(root / "Log.txt");
        if (!ovr::detail::readDbaseFrom("input/dbase.enc", "input/dbase.xml"))
            throw std::runtime_error("benchmark database does not parse");
        ovr::gf_processScannedLiveries();
        lf_makeAircraft(registrations);
    }
    ~Fixture()
    {
        ovr::detail::closeLog();
        ovr::detail::setParametersFile({});
        fs::current_path(fs::temp_directory_path());
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // A fifth with a listed registration, the rest of airlines with and
    // without liveries, private aircraft and small types.
    void lf_makeAircraft(const std::vector<std::string>& registrations)
    {
        std::mt19937 engine(7);
        const std::vector<std::string> types = lf_allTypes();
        aircraft.reserve(kAircraft);
        for (int i = 0; i < kAircraft; ++i)
        {
            ovr::AiAircraftRecord record;
            const int kind = i % 10;
            const std::string& model = types[engine() % types.size()];
            record.key.model = ovr::gf_modelId(model);
            record.key.airline = ovr::gf_airlineId(
                kind == 8 ? std::string("PVT") : lf_airline(static_cast<int>(engine() % (kAirlines + 50))));
            if (kind == 3)
                record.key.secondAirline =
                    ovr::gf_airlineId(lf_airline(static_cast<int>(engine() % kAirlines)));
            record.key.cargo = model == "B77L" ? 1 : 0;
            record.registration = kind < 2
                                      ? registrations[engine() % registrations.size()]
                                      : lf_registration(static_cast<int>(engine() % 1000000) + kLiveries);
            record.category = static_cast<std::uint32_t>(ovr::gf_categoryOfModel(record.key.model));
            record.callsign = fmt::format("BEN{}", i);
            aircraft.push_back(std::move(record));
        }
    }
};

Fixture& lf_fixture()
{
    static Fixture fixture;
    return fixture;
}

std::string_view lf_pathOf(const std::array<std::uint32_t, 7>& before)
{
    static constexpr std::string_view kPaths[] = {"s0", "s1", "s2", "s3", "s4", "s5", "s6"};
    for (std::size_t step = 0; step < before.size(); ++step)
    {
        if (ovr::g_matchSteps[step] != before[step])
            return kPaths[step];
    }
    return "none";
}

void BM_MatchSpawnedAircraft(benchmark::State& state)
{
    Fixture& fixture = lf_fixture();
    ovr::detail::seedRandom(11);
    // What each match took, kept in room made beforehand and sorted by path
    // afterwards. The timer is not paused around it: pausing reads the
    // thread's CPU clock, two system calls beside every match, which on a
    // virtual machine cost more than the match and left it to start cold.
    struct Taken
    {
        std::string_view path;
        double ns;
        std::uint64_t allocations;
    };
    std::vector<Taken> taken;
    taken.reserve(fixture.aircraft.size());
    std::map<std::string_view, std::vector<double>> latencies;
    std::map<std::string_view, std::uint64_t> allocations;
    for (auto _ : state)
    {
        taken.clear();
        for (ovr::AiAircraftRecord& record : fixture.aircraft)
        {
            const std::array<std::uint32_t, 7> before = ovr::g_matchSteps;
            const std::uint64_t allocated = g_allocations.load(std::memory_order_relaxed);
            const auto start = std::chrono::steady_clock::now();
            ovr::gf_matchLivery4SpawnedAc(record);
            const auto end = std::chrono::steady_clock::now();
            const std::uint64_t made = g_allocations.load(std::memory_order_relaxed) - allocated;
            taken.push_back({lf_pathOf(before), std::chrono::duration<double, std::nano>(end - start).count(), made});
        }
        for (const Taken& t : taken)
        {
            latencies[t.path].push_back(t.ns);
            allocations[t.path] += t.allocations;
        }
    }
    for (auto& [path, values] : latencies)
    {
        std::sort(values.begin(), values.end());
        // A named reference: clang 14 cannot capture a structured binding.
        const std::vector<double>& sorted = values;
        const auto at = [&sorted](double q)
        {
            return sorted[std::min(sorted.size() - 1,
                                   static_cast<std::size_t>(q * static_cast<double>(sorted.size())))];
        };
        const std::string name(path);
        state.counters[name + "_n"] = static_cast<double>(values.size());
        state.counters[name + "_p50_ns"] = at(0.50);
        state.counters[name + "_p99_ns"] = at(0.99);
        state.counters[name + "_max_ns"] = values.back();
        state.counters[name + "_allocs"] =
            static_cast<double>(allocations[path]) / static_cast<double>(values.size());
    }
}
BENCHMARK(BM_MatchSpawnedAircraft)->Unit(benchmark::kMillisecond)->Iterations(1);

// The part of a match that is the system's, not the matching's: the write and
// flush of a match's log line alone, into the same log, as often. On a
// virtual machine a system call costs a microsecond or more, and the match's
// tail is mostly this one.
void BM_MatchLogLine(benchmark::State& state)
{
    lf_fixture();
    const std::string line = "          DLH     A20N.    DLH129   D-AINA       MAD->FRA =2= Airbus A320neo Lufthansa";
    std::vector<double> latencies;
    latencies.reserve(kAircraft);
    for (auto _ : state)
    {
        latencies.clear();
        for (int i = 0; i < kAircraft; ++i)
        {
            const auto start = std::chrono::steady_clock::now();
            ovr::gf_log(line);
            latencies.push_back(
                std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["write_p50_ns"] = latencies[latencies.size() / 2];
    state.counters["write_p99_ns"] = latencies[latencies.size() * 99 / 100];
}
BENCHMARK(BM_MatchLogLine)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MatchAll(benchmark::State& state)
{
    Fixture& fixture = lf_fixture();
    ovr::detail::seedRandom(11);
    std::vector<ovr::AiAircraftRecord> records;
    std::size_t matched = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        ovr::gf_forgetRememberedLiveries();
        records = fixture.aircraft;
        matched = 0;
        state.ResumeTiming();
        for (ovr::AiAircraftRecord& record : records)
        {
            ovr::gf_matchLivery4SpawnedAc(record);
            matched += record.liveryTitle.empty() ? 0 : 1;
        }
    }
    state.counters["matched"] = static_cast<double>(matched);
    state.counters["per_match"] =
        benchmark::Counter(static_cast<double>(fixture.aircraft.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MatchAll)->Unit(benchmark::kMillisecond)->Iterations(5);

std::uint32_t lf_pairKey(std::uint16_t airline, std::uint16_t model)
{
    return (static_cast<std::uint32_t>(airline) << 16) | model;
}

void BM_MatchAllBare(benchmark::State& state)
{
    Fixture& fixture = lf_fixture();
    std::unordered_map<std::uint32_t, std::vector<std::string_view>> byPair;
    std::unordered_map<std::uint16_t, std::vector<std::string_view>> byModel;
    for (const ScannedLivery& l : fixture.liveries)
    {
        const std::uint16_t model = ovr::gf_modelId(l.model);
        byPair[lf_pairKey(ovr::gf_airlineId(l.airline), model)].push_back(l.title);
        byModel[model].push_back(l.title);
    }
    std::vector<ovr::AiAircraftRecord> records = fixture.aircraft;
    std::size_t matched = 0;
    for (auto _ : state)
    {
        matched = 0;
        std::size_t pick = 0;
        for (ovr::AiAircraftRecord& record : records)
        {
            const std::vector<std::string_view>* titles = nullptr;
            if (const auto it = byPair.find(lf_pairKey(record.key.airline, record.key.model)); it != byPair.end())
                titles = &it->second;
            else if (const auto m = byModel.find(record.key.model); m != byModel.end())
                titles = &m->second;
            record.liveryTitle = titles ? (*titles)[++pick % titles->size()] : std::string_view();
            matched += titles ? 1 : 0;
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["matched"] = static_cast<double>(matched);
}
BENCHMARK(BM_MatchAllBare)->Unit(benchmark::kMillisecond);

const bool kRatios = ovr::bench::addRatio("BM_MatchAll/iterations:5", "BM_MatchAllBare");

// The special-livery check of every random pick: one hash lookup.
void BM_BoundTitleCheck(benchmark::State& state)
{
    lf_fixture();
    std::vector<std::string_view> titles;
    for (const auto& [title, registration] : ovr::g_titleRegistrations)
        titles.push_back(title);
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ovr::g_boundTitleSet.contains(titles[i++ % titles.size()]));
}
BENCHMARK(BM_BoundTitleCheck);

} // namespace
