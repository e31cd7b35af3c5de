#include "core/random.h"
#include "core/random_detail.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

namespace ovr
{

namespace
{

std::mt19937 lf_seededEngine()
{
    std::random_device device;
    auto nanos = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                std::chrono::steady_clock::now().time_since_epoch())
                                                .count());
    auto threadHash = std::hash<std::thread::id>{}(std::this_thread::get_id());
    std::seed_seq seed{static_cast<std::uint32_t>(device()), static_cast<std::uint32_t>(nanos & 0xFFFFFFFFu),
                       static_cast<std::uint32_t>(nanos >> 32), static_cast<std::uint32_t>(threadHash)};
    return std::mt19937(seed);
}

std::mt19937& lf_engine()
{
    thread_local std::mt19937 g_randomEngine = lf_seededEngine();
    return g_randomEngine;
}

} // namespace

void detail::seedRandom(std::uint32_t seed)
{
    lf_engine().seed(seed);
}

std::uint64_t gf_randomIndex(std::uint64_t n)
{
    if (n < 2)
        return 0;
    std::uniform_int_distribution<std::uint64_t> distribution(0, n - 1);
    return distribution(lf_engine());
}

void gf_shuffleU16(std::vector<std::uint16_t>& values)
{
    if (values.size() < 2)
        return;
    std::shuffle(values.begin(), values.end(), lf_engine());
}

double gf_varyByPercent(double value, double percent)
{
    bool minus = (lf_engine()() & 1u) != 0;
    if (!(percent > 0.0))
        return value;
    double change = value * percent / 100.0;
    return minus ? value - change : value + change;
}

} // namespace ovr
