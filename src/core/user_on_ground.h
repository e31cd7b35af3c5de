// Whether the user aircraft stands on the ground ("SIM ON GROUND", delivered
// once a second by the SimClient thread), with a flag that is set by the
// first reply that came with a known position.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

extern std::atomic<std::uint8_t> g_userOnGround;
extern std::atomic<std::uint8_t> g_userOnGroundValid;

} // namespace ovr
