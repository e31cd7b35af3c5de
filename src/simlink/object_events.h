// What the simulator reports back to the traffic logic: one queue of
// SimEvent records, filled on the SimClient thread (and by the live-traffic
// callsign filter) and taken by the main loop on every pass.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace ovr
{

// SimEvent types.
inline constexpr std::uint32_t kSimEventLiveCreated = 0;   // key > 10000, b = altitude above ground (ft)
inline constexpr std::uint32_t kSimEventStaticCreated = 1; // key <= 10000
inline constexpr std::uint32_t kSimEventRemoved = 2;
inline constexpr std::uint32_t kSimEventGroundData = 3; // key = on ground, a = ground alt, b = above ground
inline constexpr std::uint32_t kSimEventStaticValues =
    4; // a = static CG to ground (ft), b = static pitch (rad)
inline constexpr std::uint32_t kSimEventBlockedCallsign = 5;
inline constexpr std::uint32_t kSimEventCreateFailed = 6; // key of the failed create

// Keys above this are live aircraft (their transponder id), the others
// static parked aircraft (a small index).
inline constexpr std::uint32_t kLiveKeyAbove = 10000;

struct SimEvent
{
    std::uint32_t objectId = 0;
    std::uint32_t key = 0;
    std::uint32_t aux = 0;
    std::uint32_t type = 0;
    double a = 0.0;
    double b = 0.0;
};

// Guards g_objectEvents alone; never held together with g_simConnectMutex.
extern std::mutex g_objectEventsMutex;
extern std::vector<SimEvent> g_objectEvents;

// Appends one event under g_objectEventsMutex.
void gf_pushSimEvent(const SimEvent& event);

} // namespace ovr
