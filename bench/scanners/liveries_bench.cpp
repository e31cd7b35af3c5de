// The liveries scan over a generated tree of 3,000 aircraft.cfg files (UTF-8,
// UTF-16 and Windows-1252; ordinary and IVAO layouts; a few broken files),
// split into its parts: reading the same bytes plainly (the yardstick), the
// walk alone (workers that list the folders but read no file), the scan on
// 1, 2, 4 and 8 workers, and the merge and write of the result.
// Goal: the scan on its workers within twice the plain read. Before the
// workers listed the folders and took their files in batches, the walk alone
// took 90 ms where the plain read took 7 ms (listing 3,000 folders on the
// walk's thread, resolving each folder's whole path, and one hand-over to a
// worker per file); see docs/PERFORMANCE.md for the last figures.
//
// Anchors: `cat` of the same files (one process, its output thrown away) and
// the plain read; the scan on each number of workers prints its ratio to
// both.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <list>
#include <vector>

#include "core/code_pool.h"
#include "liveries/livery_data.h"
#include "liveries/model_database.h"
#include "package_writer.h"
#include "ratio.h"
#include "scanners/liveries_scan.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

namespace
{

using namespace ovr;
namespace fs = std::filesystem;

constexpr std::size_t kFiles = 3000;

const fs::path& lf_tree()
{
    static const fs::path root = [] {
        const fs::path folder = fs::temp_directory_path() / "vora-bench-liveries";
        fs::remove_all(folder);
        genpkg::writeTree(folder / "Community", kFiles, 11);
        fs::create_directories(folder / "work" / "output" / "info");
        fs::current_path(folder / "work");
        gf_airlineId(g_empty);
        gf_modelId(g_empty);
        g_knownModels = {"A320", "A321", "B738", "B77W", "A388", "E190"};
        g_icaoAirlines = {"DLH", "BAW", "KLM", "AFR", "UAE", "SWR", "RYR", "EZY"};
        return folder / "Community";
    }();
    return root;
}

std::vector<fs::path> lf_files()
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(lf_tree()))
        if (entry.is_regular_file() && entry.path().filename() == "aircraft.cfg")
            files.push_back(entry.path());
    return files;
}

// The CPU time of every thread of the process, the scan's workers included
// (the benchmark's own CPU time is the calling thread's), in ms: in the
// program and in the system's calls. Less disturbed by a busy machine than
// the real time.
struct ProcessCpu
{
    double userMs = 0;
    double systemMs = 0;
};

ProcessCpu lf_processCpu()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t)
    { return 1000.0 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1000.0; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

void lf_countProcessCpu(benchmark::State& state, const ProcessCpu& start)
{
    const ProcessCpu end = lf_processCpu();
    state.counters["cpu_user_ms"] = benchmark::Counter(end.userMs - start.userMs, benchmark::Counter::kAvgIterations);
    state.counters["cpu_system_ms"] =
        benchmark::Counter(end.systemMs - start.systemMs, benchmark::Counter::kAvgIterations);
}

void BM_PlainRead(benchmark::State& state)
{
    const std::vector<fs::path> files = lf_files();
    std::vector<char> buffer(1 << 16);
    const ProcessCpu cpu = lf_processCpu();
    for (auto _ : state)
    {
        std::size_t bytes = 0;
        for (const fs::path& file : files)
        {
            std::ifstream in(file, std::ios::binary);
            while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
                bytes += static_cast<std::size_t>(in.gcount());
        }
        benchmark::DoNotOptimize(bytes);
    }
    lf_countProcessCpu(state, cpu);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_Cat(benchmark::State& state)
{
    const std::vector<fs::path> files = lf_files();
    std::vector<std::string> texts{"cat"};
    for (const fs::path& file : files)
        texts.push_back(file.string());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state)
    {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cat", &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        {
            state.SkipWithError("cat failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond)->UseRealTime();

std::list<LiveryData> lf_noRead(std::uint32_t, const fs::path&)
{
    g_runningScanTasks.fetch_sub(1);
    return {};
}

void BM_Walk(benchmark::State& state)
{
    lf_tree();
    detail::setLiveryReaders(&lf_noRead, &lf_noRead);
    g_maxScanTasks.store(8);
    const ProcessCpu cpu = lf_processCpu();
    for (auto _ : state)
        lf_scanFolder4Liveries(1, lf_tree());
    lf_countProcessCpu(state, cpu);
    detail::setLiveryReaders(nullptr, nullptr);
}
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Scan(benchmark::State& state)
{
    lf_tree();
    g_maxScanTasks.store(static_cast<std::int32_t>(state.range(0)));
    std::size_t liveries = 0;
    const ProcessCpu cpu = lf_processCpu();
    for (auto _ : state)
    {
        g_liveries.clear();
        lf_clearScanLists();
        lf_scanFolder4Liveries(1, lf_tree());
        liveries = g_liveries.size();
    }
    lf_countProcessCpu(state, cpu);
    state.counters["liveries"] = static_cast<double>(liveries);
    g_liveries.clear();
    lf_clearScanLists();
}
BENCHMARK(BM_Scan)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool kScanRatios = []
{
    for (const char* workers : {"1", "2", "4", "8"})
    {
        const std::string scan = std::string("BM_Scan/") + workers + "/real_time";
        ovr::bench::addRatio(scan, "BM_Cat/real_time");
        ovr::bench::addRatio(scan, "BM_PlainRead");
    }
    return true;
}();

void BM_MergeAndWrite(benchmark::State& state)
{
    lf_tree();
    g_maxScanTasks.store(8);
    g_liveries.clear();
    lf_clearScanLists();
    lf_scanFolder4Liveries(1, lf_tree());
    const std::vector<LiveryData> scanned = g_liveries;
    for (auto _ : state)
    {
        g_liveries = scanned;
        lf_prioritizeLiveries();
        std::stable_sort(g_liveries.begin(), g_liveries.end(), lf_liveryLess);
        lf_removeDuplicateLiveries();
        lf_writeLiveriesScanned();
    }
    g_liveries.clear();
    lf_clearScanLists();
}
BENCHMARK(BM_MergeAndWrite)->Unit(benchmark::kMillisecond);

} // namespace
