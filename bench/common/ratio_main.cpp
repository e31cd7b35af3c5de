// The main of the benchmark programs that print ratios to their anchors.
#include "ratio.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
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

// A run's name without the repetition count, as addRatio names it.
std::string lf_pairName(const benchmark::BenchmarkReporter::Run& run)
{
    std::string name = run.run_name.str();
    if (const auto at = name.find("/repeats:"); at != std::string::npos)
    {
        const auto end = name.find('/', at + 1);
        name.erase(at, end == std::string::npos ? std::string::npos : end - at);
    }
    return name;
}

double lf_median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The console table as usual, and the seconds per iteration of each
// benchmark: the median of its repetitions, as its median row says (also
// when only the aggregates are shown) or as its own rows give it.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.error_occurred || run.iterations <= 0)
                continue;
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Iteration)
                m_repetitions[lf_pairName(run)].push_back(seconds);
            else if (run.aggregate_name == "median")
                m_medians[lf_pairName(run)] = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        for (const auto& [measured, anchor] : lf_pairs())
        {
            const std::optional<double> m = seconds(measured);
            const std::optional<double> a = seconds(anchor);
            if (!m || !a || *a <= 0.0)
                continue; // filtered out, or failed
            std::printf("%s\n", fmt::format("{} / {} = {:.2f}", measured, anchor, *m / *a).c_str());
        }
    }

  private:
    // The median seconds per iteration.
    std::optional<double> seconds(const std::string& name) const
    {
        if (const auto median = m_medians.find(name); median != m_medians.end())
            return median->second;
        const auto repeated = m_repetitions.find(name);
        if (repeated == m_repetitions.end() || repeated->second.empty())
            return std::nullopt;
        return lf_median(repeated->second);
    }

    std::map<std::string, std::vector<double>> m_repetitions;
    std::map<std::string, double> m_medians;
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
