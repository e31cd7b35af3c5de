// Random choices (among equally good liveries, small variations of motion
// values) so the same traffic does not look the same every time. Each thread
// draws from its own engine, seeded differently per thread and per run.
#pragma once

#include <cstdint>
#include <vector>

namespace ovr
{

// A uniform index in [0, n - 1]; 0 when n is below 2 (no draw is made).
std::uint64_t gf_randomIndex(std::uint64_t n);
// Shuffles the values in place, every order equally likely.
void gf_shuffleU16(std::vector<std::uint16_t>& values);
// value plus or minus percent % of itself, the sign from one random bit;
// value unchanged when percent is not above 0.
double gf_varyByPercent(double value, double percent);

} // namespace ovr
