// The Frame handler: once per simulator frame everything the main thread
// queued goes out in whole batches. The handler only try-locks the queues'
// mutex and skips a frame while the main thread holds it, so the simulator's
// frame never waits on the main loop; what was queued stays for the next
// frame, in its order.
#include <cstdint>
#include <mutex>
#include <string>

#include <fmt/format.h>

#include "core/log.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/time.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

namespace
{

// Wraps far beyond any number of creates still pending, and never into the
// fixed request ids below it.
std::uint32_t lf_takeCreateRequestId()
{
    const std::uint32_t id = g_nextCreateRequestId;
    g_nextCreateRequestId = id == UINT32_MAX ? kReqCreateFirst : id + 1;
    return id;
}

void lf_clearQueues()
{
    g_posUpdates[1]->clear();
    g_clientEvents.clear();
    g_createRequests.clear();
    g_removeRequests.clear();
}

void lf_sendPositions(HANDLE h)
{
    std::vector<PosUpdate>& updates = *g_posUpdates[1];
    for (PosUpdate& update : updates)
    {
        if (gf_isAiObjectId(update.objectId))
        {
            SimConnect_SetDataOnSimObject(h, kDefPosition, update.objectId, 0, 0, kPositionBytes, &update);
        }
    }
    updates.clear();
}

void lf_sendClientEvents(HANDLE h)
{
    for (const ClientEventCmd& e : g_clientEvents)
    {
        // The simulator's AI would move the flaps back; it lets go of the
        // aircraft for the change.
        const bool flaps = e.eventId == kFlapsSet;
        if (flaps)
        {
            SimConnect_AIReleaseControl(h, e.objectId, kReqReleaseControl);
        }
        if (SimConnect_TransmitClientEvent(h, e.objectId, e.eventId, e.data, kEventGroup, 0) < 0)
        {
            gf_setStatus(fmt::format("SimConnect TransmitClientEvent: {} fails", e.eventId), true);
        }
        else if (flaps)
        {
            SimConnect_AIReleaseControl(h, e.objectId, kReqReleaseControl);
        }
    }
    g_clientEvents.clear();
}

void lf_sendCreateAc(HANDLE h, const CreateRequest& request)
{
    // The simulator reads the title up to its NUL; a view need not have one.
    const std::string title(request.liveryTitle);
    const std::uint32_t requestId = lf_takeCreateRequestId();
    if (SimConnect_AICreateNonATCAircraft(h, title.c_str(), request.callsign.c_str(), request.initPosition,
                                          requestId) < 0)
    {
        gf_logWarning(
            fmt::format("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})",
                        request.key, title, request.callsign));
        gf_onSimRequestError();
        return;
    }
    DWORD sendId = 0;
    if (SimConnect_GetLastSentPacketID(h, &sendId) != S_OK)
    {
        gf_logWarning("GetLastSentPacketID");
    }
    g_pendingCreates.push_back(PendingCreate{sendId, request.key, request.callsign, requestId, 0});
}

void lf_sendRemoveAc(HANDLE h, std::uint32_t object)
{
    if (!gf_isAiObjectId(object))
    {
        gf_logWarning(fmt::format("SimConnect call to remove ac with objectid {}", gf_idToText(object)));
        return;
    }
    if (SimConnect_AIRemoveObject(h, object, kReqRemove) < 0)
    {
        gf_logWarning(fmt::format("{} !SimConnect call to remove AI ac from sim failed, id {}?",
                                  gf_timeOfDayString(), gf_idToText(object)));
        gf_onSimRequestError();
    }
}

} // namespace

void lf_onFrame()
{
    std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
    if (!lock.owns_lock())
    {
        return;
    }
    if (g_simConnectError.load() != 0)
    {
        lf_clearQueues();
        return;
    }
    const HANDLE h = g_simConnect;
    lf_sendPositions(h);
    lf_sendClientEvents(h);
    for (const CreateRequest& request : g_createRequests)
    {
        lf_sendCreateAc(h, request);
    }
    g_createRequests.clear();
    for (const std::uint32_t object : g_removeRequests)
    {
        lf_sendRemoveAc(h, object);
    }
    g_removeRequests.clear();
}

} // namespace ovr
