#include "core/user_on_ground.h"

namespace ovr
{

// Written by the user-aircraft data handler of the SimClient thread.
std::atomic<std::uint8_t> g_userOnGround{0};
std::atomic<std::uint8_t> g_userOnGroundValid{0};

} // namespace ovr
