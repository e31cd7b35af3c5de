// The bytes a benchmark program holds through operator new, for the most
// memory a piece of work holds at once. A program that links
// vora_bench_held_bytes counts every allocation of its own; others count
// nothing.
#pragma once

#include <cstdint>

namespace ovr::bench
{

// Bytes held now.
std::int64_t heldBytes();
// Starts a new peak at what is held now.
void resetPeakBytes();
// The most held since the last reset.
std::int64_t peakBytes();

} // namespace ovr::bench
