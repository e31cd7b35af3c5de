#include "traffic/live_aircraft.h"

#include <atomic>

#include "core/loop_clock.h"
#include "liveries/livery_matching.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

std::vector<LiveAc> g_liveAircraft;
std::deque<std::uint32_t> g_pendingInit;

namespace
{

constexpr std::int32_t kPassesPerUserPosition = 100;
std::int32_t g_passes = 0; // main loop only

} // namespace

// The traffic logic arrives with its own subsystem; until then no aircraft is
// taken in: the user's position is followed once a second and the motion
// clock runs.
void lf_handleAddingStack()
{
    lf_onGroundSlots();
    if (++g_passes >= kPassesPerUserPosition)
    {
        g_passes = 0;
        gf_requestUserAcPosition(g_userPos);
    }
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
    gf_forgetRememberedLiveries();
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
