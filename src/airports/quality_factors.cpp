// Airport quality: each stand adds a share of points per group of options
// (real, soft) that it has; a stand with at least one option of a group adds
// 62.5 to 99.4 points (more options, more weekdays and more half hours add
// more), a stand without adds nothing but still counts. Helipads and fuel
// stands are left out.
#include "airports/quality_factors.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <algorithm>
#include <bit>
#include <cmath>

namespace ovr
{

namespace
{

constexpr std::uint16_t kFuelType = 12;
constexpr double kPointScale = 0.00625;

struct GroupTally
{
    std::int64_t options = 0;
    std::uint32_t dayMask = 0;
    std::int64_t bits = 0;

    void add(const StandOption& option)
    {
        ++options;
        if (option.day >= 1 && option.day <= 7)
            dayMask |= 1u << option.day;
        bits += std::popcount(option.hours);
    }

    double points() const
    {
        return static_cast<double>(std::min<std::int64_t>(20 * options, 4000) + 10000 +
                                   100 * std::popcount(dayMask) + 2 * std::min<std::int64_t>(bits, 600));
    }
};

double lf_weight(const Stand& stand)
{
    if (stand.radius <= 7.0)
        return 0.3;
    return stand.radius <= 10.0 ? 1.5 : 1.0;
}

std::int32_t lf_figure(double sum, double weightSum)
{
    const auto figure = gsl::narrow<std::int32_t>(std::round(sum / weightSum * kPointScale));
    return std::clamp(figure, 0, 100);
}

} // namespace

std::uint64_t gf_qualityFactors(std::span<const Stand> stands)
{
    const bool anyOption =
        std::any_of(stands.begin(), stands.end(), [](const Stand& s) { return !s.options.empty(); });
    if (!anyOption)
        return ~std::uint64_t{0};

    double weightSum = 0.0;
    double realSum = 0.0;
    double softSum = 0.0;
    for (const Stand& stand : stands)
    {
        if (stand.heli != 0 || stand.type == kFuelType)
            continue;
        const double w = lf_weight(stand);
        weightSum += w;
        GroupTally real;
        GroupTally soft;
        for (const StandOption& option : stand.options)
        {
            if (option.id == 0)
                continue;
            if (option.real == 1)
                real.add(option);
            else if (option.real == 0)
                soft.add(option);
        }
        if (real.options > 0)
            realSum += real.points() * w;
        if (soft.options > 0)
            softSum += soft.points() * w;
    }
    if (!(weightSum > 0.0))
        return 0;
    const std::int32_t real = lf_figure(realSum, weightSum);
    const std::int32_t soft = lf_figure(softSum, weightSum);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(soft)) << 32) |
           static_cast<std::uint32_t>(real);
}

CoveragePair gf_coverageOf(std::uint64_t qualityFactors)
{
    return CoveragePair{static_cast<std::int32_t>(static_cast<std::uint32_t>(qualityFactors & 0xFFFFFFFFu)),
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(qualityFactors >> 32))};
}

std::string gf_coverageText(CoveragePair coverage)
{
    if (coverage.real < 0 && coverage.soft < 0)
        return "  ";
    if (coverage.real < 45)
        return fmt::format("{:2}/{:2}", coverage.real, coverage.soft);
    return fmt::format("{:2}", coverage.real);
}

} // namespace ovr
