// The build of the livery tables at start-up, from generated scan results of
// 5,000, 10,000 and 40,000 liveries with a registration each, an AIG list
// naming half of them and a user's list: the whole gf_processScannedLiveries
// (file read included) per iteration, and the most memory it held at once.
// Every title and registration is found through an index, so the work grows
// with the liveries: the 40k build executes 8.3 times the instructions of the
// 5k build (a title search per registration would make it sixty-four). Its
// time grows somewhat faster where the tables outgrow the processor's caches.
//
// Anchor (BM_ReadScannedFileBare): the same scan result read and parsed by
// pugixml and each livery's attributes visited, the least a build must do.

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <random>

#include <pugixml.hpp>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include "core/library_init.h"
#include "core/log_detail.h"
#include "core/parameters_file_detail.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/livery_tables.h"
#include "liveries/regcode_tables.h"
#include "liveries/title_store.h"
#include "held_bytes.h"
#include "ratio.h"
#include "stream_encrypt.h"

namespace fs = std::filesystem;

namespace
{

constexpr const char* kTypes[] = {"A319", "A320", "A321", "A20N", "A21N", "A333", "A359", "A388",
                                  "B738", "B38M", "B744", "B748", "B763", "B77W", "B789", "E190",
                                  "E195", "CRJ9", "AT76", "DH8D", "C172", "C25C", "EC35", "F16"};

std::string lf_registration(int i)
{
    return fmt::format("{}-{}{}{}{}", char('A' + i % 7), char('A' + i / 7 % 26), char('A' + i / 182 % 26),
                       char('A' + i / 4732 % 26), char('A' + i / 123032 % 26));
}

std::string lf_airline(int i)
{
    return fmt::format("{}{}{}", char('A' + i / 676 % 26), char('A' + i / 26 % 26), char('A' + i % 26));
}

// One working folder per size, written once.
struct Folder
{
    fs::path root;

    explicit Folder(int liveries)
        : root(fs::temp_directory_path() /
               fmt::format("vora-bench-tables-{}-{:08x}", liveries, std::random_device{}()))
    {
        fs::create_directories(root / "input" / "my_regcodes");
        fs::create_directories(root / "output");
        std::ofstream(root / "input" / "dbase.enc", std::ios::binary) << ovr::datatool::encryptText(
            R"(<root><aircrafts><aircraft types="A319,A320,A321,A20N,A21N,A333,A359,A388,B738,B38M,B744,B748,B763,B77W,B789,E190,E195,CRJ9,AT76,DH8D,C172,C25C,EC35,F16"/></aircrafts>
<cargo_types><cargo_type types="B744"/></cargo_types><heavy><hvy types="A333,A359,A388,B744,B748,B763,B77W,B789"/></heavy>
<large><lar types="A319,A320,A321,A20N,A21N,B738,B38M,E190,E195,CRJ9,AT76,DH8D"/></large><buzjet><bzj types="C25C"/></buzjet>
<high_performance><hpf types="F16"/></high_performance><rotorcraft><rot types="EC35"/></rotorcraft>
<similar_types><similar types="A319,A320,A321"/><similar types="A20N,A21N"/><similar types="B738,B38M"/><similar types="E190,E195"/></similar_types>
<ICAO_airlines><ICAO codes="DLH"/></ICAO_airlines><cargo_operators><ICAO codes="FDX"/></cargo_operators>
<simaddons20><simaddon20 arpts="EHAM"/></simaddons20><simaddons24><simaddon24 arpts="EHAM"/></simaddons24></root>)");

        // One airline per 20 liveries; every livery has its own title and
        // registration, every 50th shares a registration with the one before.
        // The scan writes its file sorted, by airline, type and title.
        std::map<std::string, std::string> sorted;
        std::string aig =
            R"(<root><meta><info name="copyright" value="c"/><info name="sim" value="1"/></meta><aig>)";
        for (int i = 0; i < liveries; ++i)
        {
            const std::string airline = lf_airline(i / 20);
            const char* type = kTypes[static_cast<std::size_t>(i) % std::size(kTypes)];
            const std::string title = fmt::format("Livery {} of {}", i, airline);
            const std::string registration = lf_registration(i % 50 == 49 ? i - 1 : i);
            sorted.emplace(fmt::format("{} {} {}", airline, type, title),
                           fmt::format(R"(<l a="{}" m="{}"{} t="{}" r="{}"/>)", airline, type,
                                       i % 9 == 0 ? R"( c="true")" : "", title, registration));
            if (i % 2 == 0)
                aig += fmt::format(R"(<l t="{}" r="{},{}"{}/>)", title, registration,
                                   lf_registration(i + liveries), i % 10 == 0 ? R"( s="true")" : "");
        }
        std::string scanned = "<root><liveries>\n";
        for (const auto& [key, element] : sorted)
            scanned += element + "\n";
        scanned += "</liveries></root>\n";
        aig += "</aig></root>";
        std::ofstream(root / "output" / "LiveriesScanned.xml", std::ios::binary) << scanned;
        std::ofstream(root / "input" / "AIG-regcodes.enc", std::ios::binary)
            << ovr::datatool::encryptText(aig);
        std::string mine;
        for (int i = 1; i < liveries; i += 10)
            mine +=
                fmt::format("Livery {} of {};{}\n", i, lf_airline(i / 20), lf_registration(i + 2 * liveries));
        std::ofstream(root / "input" / "my_regcodes" / "mine.txt", std::ios::binary) << mine;
    }
    ~Folder() { fs::remove_all(root); }
};

void BM_BuildLiveryTables(benchmark::State& state)
{
    static const bool initialised = (ovr::gf_initLibraries(), true);
    (void)initialised;
    const int liveries = static_cast<int>(state.range(0));
    Folder folder(liveries);
    const fs::path previous = fs::current_path();
    fs::current_path(folder.root);
    ovr::detail::openLogAt(folder.root / "Log.txt");
    ovr::detail::setParametersFile(folder.root / "parameters.xml");
    ovr::detail::clearDbase();
    if (!ovr::detail::readDbaseFrom("input/dbase.enc", "input/dbase.xml"))
        state.SkipWithError("benchmark database does not parse");

    std::int64_t peak = 0;
    for (auto _ : state)
    {
        // The tables of the last iteration go outside the timing: a start-up
        // builds on empty tables.
        state.PauseTiming();
        ovr::gf_clearLiveryMatching();
        ovr::g_scannedLiveriesProcessed.store(0);
        state.ResumeTiming();
        const std::int64_t before = ovr::bench::heldBytes();
        ovr::bench::resetPeakBytes();
        ovr::gf_processScannedLiveries();
        peak = std::max(peak, ovr::bench::peakBytes() - before);
    }
    state.counters["registrations"] = static_cast<double>(ovr::g_regcodeTitles.size());
    state.counters["peak_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["titles_stored"] = static_cast<double>(ovr::gf_storedTitleCount());
    state.SetComplexityN(liveries);

    ovr::gf_clearLiveryMatching();
    ovr::g_scannedLiveriesProcessed.store(0);
    ovr::detail::setParametersFile({});
    ovr::detail::closeLog();
    fs::current_path(previous);
}
BENCHMARK(BM_BuildLiveryTables)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ReadScannedFileBare(benchmark::State& state)
{
    const int liveries = static_cast<int>(state.range(0));
    Folder folder(liveries);
    const fs::path file = folder.root / "output" / "LiveriesScanned.xml";
    std::size_t visited = 0;
    for (auto _ : state)
    {
        pugi::xml_document document;
        if (!document.load_file(file.c_str()))
            state.SkipWithError("scan result does not parse");
        visited = 0;
        for (const pugi::xml_node l : document.child("root").child("liveries").children("l"))
        {
            for (const pugi::xml_attribute a : l.attributes())
                visited += a.value()[0] != 0 ? 1 : 0;
        }
        benchmark::DoNotOptimize(visited);
    }
    state.counters["attributes"] = static_cast<double>(visited);
}
BENCHMARK(BM_ReadScannedFileBare)->Arg(5000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

const bool kRatios = ovr::bench::addRatio("BM_BuildLiveryTables/5000", "BM_ReadScannedFileBare/5000") &&
                     ovr::bench::addRatio("BM_BuildLiveryTables/10000", "BM_ReadScannedFileBare/10000") &&
                     ovr::bench::addRatio("BM_BuildLiveryTables/40000", "BM_ReadScannedFileBare/40000");

} // namespace
