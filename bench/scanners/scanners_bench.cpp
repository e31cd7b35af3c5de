// The airport scan's costs per scenery file over 300 generated files of
// about 1 MB each in a packages tree (an add-on airport's scenery file is
// mostly other records around one airport record): the header probe (bytes
// read through the system per probe, time), the decode against a plain
// sequential read of the same bytes (the goal: at least half its speed; the
// bytes it had read per file), and
// the manifest search (folders looked into per file; the folder is never
// listed, one status query per folder).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "bgl_variants.h"
#include "ratio.h"
#include "scanners/bgl_reader.h"
#include "scanners/package_manifest.h"
#include "scanners/scan_report.h"

namespace
{

using namespace ovr;
namespace fs = std::filesystem;

// An airport of 300 parkings behind 60 runway and taxiway records, and a
// section of other records that the reader steps over.
constexpr int kFiles = 300;
constexpr int kParkings = 300;
constexpr int kAirportRecords = 60;
constexpr int kOtherRecords = 1900;
constexpr std::uint32_t kOtherRecordBytes = 512;

struct Tree
{
    fs::path root;
    std::vector<fs::path> files;
    std::uint64_t bytes = 0;

    Tree()
    {
        root = fs::temp_directory_path() / fmt::format("vora-bench-scan-{:08x}", std::random_device{}());
        genbgl::AirportRecord airport = genbgl::sampleAirport("EDDF");
        genbgl::TaxiwayParkings parkings;
        for (int i = 0; i < kParkings; ++i)
            parkings.parkings.push_back(
                genbgl::Parking{10, static_cast<std::uint32_t>(i), 8, 20.0F, 90.0F, 50.0 + i * 1e-4, 8.5, 2});
        airport.subrecords.insert(airport.subrecords.begin(), parkings);
        airport.subrecords.insert(airport.subrecords.begin(), kAirportRecords,
                                  genbgl::OtherRecord{0x04, 128});
        std::vector<genbgl::Bytes> others(kOtherRecords, genbgl::plainRecord(0x22, kOtherRecordBytes));
        const genbgl::Bytes file = genbgl::bglFile(
            {genbgl::Section{0x65, 0, others}, genbgl::Section{3, 0, {genbgl::airportRecord(airport)}}});
        for (int i = 0; i < kFiles; ++i)
        {
            const fs::path package = root / "Community" / fmt::format("maker-pkg-{:03}", i);
            fs::create_directories(package / "scenery" / "global");
            std::ofstream(package / "manifest.json")
                << R"({"title": "t", "manufacturer": "Maker", "creator": "Me"})";
            const fs::path bgl = package / "scenery" / "global" / fmt::format("airport{:03}.bgl", i);
            genbgl::writeFile(bgl, file);
            files.push_back(bgl);
            bytes += file.size();
        }
        Airport eddf;
        eddf.icao = IcaoCode("EDDF");
        g_airports = {eddf};
        g_knownAirports = {eddf.icao};
    }
    ~Tree()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// What the process has had read for it so far through read calls, from the
// page cache or the disk alike; none where the system does not say.
std::optional<std::uint64_t> lf_bytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return std::nullopt;
}

Tree& lf_tree()
{
    static Tree tree;
    return tree;
}

void BM_SequentialRead(benchmark::State& state)
{
    Tree& tree = lf_tree();
    std::vector<char> buffer;
    for (auto _ : state)
    {
        for (const fs::path& file : tree.files)
        {
            std::ifstream in(file, std::ios::binary | std::ios::ate);
            buffer.resize(static_cast<std::size_t>(in.tellg()));
            in.seekg(0);
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * tree.bytes));
}
BENCHMARK(BM_SequentialRead)->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State& state)
{
    Tree& tree = lf_tree();
    BglAirportSink sink;
    std::size_t stands = 0;
    sink.write = [&](ScannedAirport& airport, std::uint32_t) { stands += airport.record.stands.size(); };
    const std::optional<std::uint64_t> before = lf_bytesReadSoFar();
    for (auto _ : state)
    {
        for (const fs::path& file : tree.files)
            lf_processBGLfile(file, sink);
        g_scanMessages.clear();
    }
    const std::optional<std::uint64_t> after = lf_bytesReadSoFar();
    const auto decoded = static_cast<double>(static_cast<std::size_t>(state.iterations()) * tree.files.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * tree.bytes));
    state.counters["stands_per_file"] = static_cast<double>(stands) / decoded;
    // The decode reads the header, the tables and the airport sections, not
    // the whole file (manifest reads included).
    if (before && after)
        state.counters["bytes_read_per_file"] = static_cast<double>(*after - *before) / decoded;
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

const bool kDecodeRatio = ovr::bench::addRatio("BM_Decode", "BM_SequentialRead");

void BM_HeaderProbe(benchmark::State& state)
{
    Tree& tree = lf_tree();
    const std::optional<std::uint64_t> before = lf_bytesReadSoFar();
    for (auto _ : state)
        for (const fs::path& file : tree.files)
            benchmark::DoNotOptimize(lf_bglHasAirportSection(file));
    const std::optional<std::uint64_t> after = lf_bytesReadSoFar();
    if (before && after)
        state.counters["bytes_read_per_probe"] =
            static_cast<double>(*after - *before) / static_cast<double>(static_cast<std::size_t>(state.iterations()) * tree.files.size());
    state.counters["file_bytes"] = static_cast<double>(tree.bytes / tree.files.size());
}
BENCHMARK(BM_HeaderProbe)->Unit(benchmark::kMillisecond);

void BM_ManifestSearch(benchmark::State& state)
{
    Tree& tree = lf_tree();
    const std::size_t before = detail::manifestFolderProbes();
    for (auto _ : state)
        for (const fs::path& file : tree.files)
            benchmark::DoNotOptimize(gf_searchManifest(file));
    const auto searches = static_cast<double>(static_cast<std::size_t>(state.iterations()) * tree.files.size());
    state.counters["folders_per_file"] =
        static_cast<double>(detail::manifestFolderProbes() - before) / searches;
}
BENCHMARK(BM_ManifestSearch)->Unit(benchmark::kMillisecond);

} // namespace
