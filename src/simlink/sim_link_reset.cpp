#include "simlink/sim_link_reset.h"

#include <mutex>

#include "core/user_on_ground.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

void gf_clearPosUpdates()
{
    const std::lock_guard lock(g_simConnectMutex);
    g_posUpdateBufA.clear();
    g_posUpdateBufB.clear();
}

void gf_resetSimLinkForRestart()
{
    g_pendingCreates.clear();
    g_newObjectIds.clear();
    g_nextCreateRequestId = kReqCreateFirst;
    g_userOnGroundValid.exchange(0);
    g_simRunning.exchange(0);
    g_simConnectError.exchange(0);
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_simConnect = nullptr;
        g_posUpdateBufA.clear();
        g_posUpdateBufB.clear();
        g_posUpdates = {&g_posUpdateBufA, &g_posUpdateBufB};
        g_createRequests.clear();
        g_removeRequests.clear();
        g_clientEvents.clear();
        g_userState = UserAcState{};
    }
    g_userObjectId.store(kInitialUserObjectId);
    g_userTitle.clear();
    g_userStandText.clear();
    lf_resetAsGenNote();
    lf_resetPrevUserPos();
    g_userHalfWingspanSet.exchange(0);
    g_userModelFromTitle.exchange(0);
}

} // namespace ovr
