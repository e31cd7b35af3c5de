// The main of the benchmark programs that print ratios to their anchors.
#include "ratio.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace ovr::bench
{
namespace
{

std::vector<std::pair<std::string, std::string>>& lf_pairs()
{
    static std::vector<std::pair<std::string, std::string>> pairs;
    return pairs;
}

// The console table as usual, and the seconds per iteration of every run.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                m_seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        for (const auto& [measured, anchor] : lf_pairs())
        {
            const auto m = m_seconds.find(measured);
            const auto a = m_seconds.find(anchor);
            if (m == m_seconds.end() || a == m_seconds.end() || a->second <= 0.0)
                continue; // filtered out, or failed
            std::printf("%s\n", fmt::format("{} / {} = {:.2f}", measured, anchor, m->second / a->second).c_str());
        }
    }

  private:
    std::map<std::string, double> m_seconds;
};

} // namespace

bool addRatio(std::string measured, std::string anchor)
{
    lf_pairs().emplace_back(std::move(measured), std::move(anchor));
    return true;
}

} // namespace ovr::bench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ovr::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
