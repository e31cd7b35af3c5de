// What the simulator reports about our objects: activation two seconds after
// creation, an object removed, a callsign that became blocked. Main-loop
// thread, from the per-pass event handling.
#pragma once

#include <cstdint>

namespace ovr
{

// Passes from the created event to the activation.
inline constexpr std::uint32_t kActivationPasses = 200;

void gf_activateNewObjects();
void gf_onObjectRemoved(std::uint32_t objectId);
void gf_onCallsignBlocked(std::uint32_t key);

} // namespace ovr
