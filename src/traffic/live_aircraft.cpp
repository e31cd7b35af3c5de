#include "traffic/live_aircraft.h"

#include <atomic>

#include "core/main_loop.h"

namespace ovr
{

std::vector<LiveAc> g_liveAircraft;
std::deque<std::uint32_t> g_pendingInit;
std::unordered_set<std::uint32_t> g_createFailures;

// The traffic logic arrives with its own subsystem; until then no aircraft is
// taken in and only the motion clock runs.
void lf_handleAddingStack()
{
    lf_onGroundSlots();
    g_clock.fetch_add(1);
}

void lf_onGroundSlots() {}

void gf_reserveTrafficContainers()
{
    g_liveAircraft.reserve(256);
}

void gf_clearTrafficState()
{
    g_liveAircraft.clear();
    g_pendingInit.clear();
    g_createFailures.clear();
}

void removeAircraftFromSim(LiveAc& aircraft)
{
    aircraft.simState = kSimStateRemoving;
}

void lf_removeStaticsFor(const LiveAc& /*aircraft*/) {}

void lf_writeLiveAcFile() {}

void gf_updateLiveCallsignList() {}

void gf_clearLiveCallsignList() {}

void gf_updateBlockedList() {}

void gf_avoidCollisionUserAir() {}

void gf_avoidCollisionUserGnd() {}

void gf_clearStaticsOnTaxiPaths() {}

} // namespace ovr
