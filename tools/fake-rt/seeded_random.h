// Counter-based random numbers: a stream is named by the seed and a few
// integers (slot, cycle, purpose), so any value can be recomputed without
// replaying what came before it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovr::fakert
{

// SplitMix64's finaliser.
constexpr std::uint64_t mix64(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

class SeededRandom
{
  public:
    SeededRandom(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0, std::uint64_t c = 0)
        : m_state(mix64(seed ^ mix64(a ^ mix64(b ^ mix64(c)))))
    {
    }

    std::uint64_t next()
    {
        m_state += 0x9e3779b97f4a7c15ULL;
        return mix64(m_state);
    }

    // In [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // In [0, n); 0 when n is 0.
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }
    bool chance(double p) { return uniform() < p; }
    double sign() { return chance(0.5) ? 1.0 : -1.0; }

  private:
    std::uint64_t m_state;
};

} // namespace ovr::fakert
