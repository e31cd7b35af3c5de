// Whether the user aircraft stands on the ground ("SIM ON GROUND", delivered
// once a second by the SimClient thread), with a flag that is set by the
// first reply that came with a known position. The simulator link writes it;
// the stand look-up of the airports and the link itself read it.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

extern std::atomic<std::uint8_t> g_userOnGround;
extern std::atomic<std::uint8_t> g_userOnGroundValid;

} // namespace ovr
