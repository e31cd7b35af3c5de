// Time internals that the tests reach with fixed times.
#pragma once

#include <cstdint>

namespace ovr::detail
{

// The half-hour slot of t: the second half of an hour starts at hh:29:30.
std::int32_t halfHourSlotAt(std::int64_t t);

// Where gf_now reads the system's UTC seconds: tests that run a session in
// virtual time install their own; nullptr restores the system clock.
using UtcSource = std::int64_t (*)();
void setUtcSource(UtcSource source);

} // namespace ovr::detail
