// The large made-up airport the parking benchmarks share: stands on a grid
// 80 m apart, each with learned options of three airlines' A320 at random
// days and hours (seeded, so every run measures the same airport), 500 of
// them or as many as the largest airports have.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "airports/adjacent_stands.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "core/code_pool.h"

namespace ovr
{

inline constexpr int kBenchStands = 500;
inline constexpr int kBenchStandsLargest = 3000;
inline constexpr int kBenchOptionsPerStand = 30;
inline constexpr int kBenchStatics = 300;
// What one fill of the parking may cost at most, in seconds: a fifth of a
// main-loop pass.
inline constexpr double kBenchFillBudgetSeconds = 0.002;

// Times the fills a benchmark measures, for its counter "of_budget": the mean
// time of a fill over the budget (met while below 1).
class FillBudget
{
  public:
    template <class Fill> void time(Fill&& fill)
    {
        const auto start = std::chrono::steady_clock::now();
        std::forward<Fill>(fill)();
        m_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++m_fills;
    }
    double share() const { return m_fills == 0 ? 0.0 : m_seconds / m_fills / kBenchFillBudgetSeconds; }

  private:
    double m_seconds = 0.0;
    double m_fills = 0.0;
};

// With `someNotReal`, one option in four is marked as not seen in reality.
inline std::vector<Stand> gf_benchAirportStands(double radiusMetres, bool someNotReal, int count)
{
    constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;
    constexpr double kSpacingMetres = 80.0;
    std::mt19937 engine(42);
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
    const std::uint16_t airlines[] = {gf_airlineId("KLM"), gf_airlineId("DLH"), gf_airlineId("EZY")};
    const std::uint16_t model = gf_modelId("A320");
    std::vector<Stand> stands;
    for (int i = 0; i < count; ++i)
    {
        const double lat = (i / columns) * kSpacingMetres * kDegreesPerMetre;
        const double lon = 10.0 + (i % columns) * kSpacingMetres * kDegreesPerMetre;
        Stand stand = gf_makeStand(std::to_string(i + 1), {}, lat, lon, 0.0, radiusMetres, 0, false, false, false);
        stand.numericId = i + 1;
        for (int o = 0; o < kBenchOptionsPerStand; ++o)
        {
            StandOption option;
            option.key = FlightKey{airlines[random() % 3], 0, model, 0, 0};
            option.registration = fmt::format("R{}", i * kBenchOptionsPerStand + o);
            option.callsign = fmt::format("CS{}", i * kBenchOptionsPerStand + o);
            option.id = static_cast<std::uint32_t>(o + 1);
            option.day = 1 + random() % 7;
            const std::uint32_t first = random() % 40;
            for (std::uint32_t s = first; s < first + 1 + random() % 8; ++s)
                option.hours |= gf_slotBit(s);
            if (someNotReal)
                option.real = random() % 4 == 0 ? 0 : 1;
            stand.options.push_back(std::move(option));
        }
        stands.push_back(std::move(stand));
    }
    gf_linkAdjacentStands(stands);
    return stands;
}

} // namespace ovr
