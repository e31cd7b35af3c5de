// The learned changes of the park airport's file that are not saved yet. The
// stand learning counts them; the learned-file saver writes and resets them.
// Main loop only.
#pragma once

#include <cstdint>

namespace ovr
{

extern std::uint32_t g_apfUpdates;

// One more learned change; the window shows the new count.
void gf_countApfUpdate();

} // namespace ovr
