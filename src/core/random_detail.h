// The random engine's seed, for tests that replay a session exactly.
#pragma once

#include <cstdint>

namespace ovr::detail
{

// Seeds the calling thread's engine: the draws that follow on this thread
// repeat from run to run.
void seedRandom(std::uint32_t seed);

} // namespace ovr::detail
