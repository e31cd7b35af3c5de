// The QNH that the motion code uses, published by the Weather Reader.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

inline constexpr std::int32_t kStandardQnhHpa = 1013;
extern std::atomic<std::int32_t> g_qnhHpa;

} // namespace ovr
