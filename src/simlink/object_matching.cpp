// What the simulator reports about objects, turned into SimEvent records.
//
// A create is matched to the object it produced by the object id the
// simulator assigns to the create's own request id; that object's ground
// data are then asked of it alone, because the by-type report covers only
// the aircraft around the user and an aircraft may be created far outside
// it. An object whose assignment never came is still matched the other
// way: "ObjectAdded" gives the new object's id (kept in g_newObjectIds),
// and the next by-type report gives its ATC ID, which is the callsign the
// create passed as tail number; the first such pending create is the one.
// Objects that were known already only yield their ground data.
#include <algorithm>
#include <atomic>
#include <mutex>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log.h"
#include "core/text.h"
#include "simlink/object_events.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

namespace
{

// Ground data of aircraft higher than this are of no use to the traffic
// logic.
constexpr double kGroundDataCeilingFt = 2500.0;

// The characters of an ATC ID that the simulator keeps.
constexpr std::size_t kSimAtcIdChars = 12;

// Offsets in the block of definition 404.
constexpr std::size_t kNearbyAboveGround = 0;
constexpr std::size_t kNearbyGroundAltitude = 8;
constexpr std::size_t kNearbyOnGround = 16;
constexpr std::size_t kNearbyAtcId = 24;

// The AS-GEN note is written once per session.
std::atomic<bool> g_asGenLogged{false};

// Removes the element by moving the last one into its place.
template <class T> void lf_swapErase(std::vector<T>& v, typename std::vector<T>::iterator it)
{
    if (it != v.end() - 1)
    {
        *it = std::move(v.back());
    }
    v.pop_back();
}

// The simulator keeps only the first kSimAtcIdChars characters of a tail
// number, so a longer callsign comes back cut; an exact match still wins.
// A create that already has its object is not matched again.
std::vector<PendingCreate>::iterator lf_findPending(const std::string& atcId)
{
    const auto exact = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(), [&](const PendingCreate& p)
                                    { return p.objectId == 0 && p.callsign == atcId; });
    if (exact != g_pendingCreates.end() || atcId.size() != kSimAtcIdChars)
    {
        return exact;
    }
    return std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                        [&](const PendingCreate& p) {
                            return p.objectId == 0 && p.callsign.size() > kSimAtcIdChars &&
                                   p.callsign.starts_with(atcId);
                        });
}

std::vector<PendingCreate>::iterator lf_findAssigned(DWORD object)
{
    return std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                        [&](const PendingCreate& p) { return p.objectId == object; });
}

std::uint32_t lf_takePendingByCallsign(const std::string& callsign)
{
    const auto it = lf_findPending(callsign);
    if (it == g_pendingCreates.end())
    {
        return 0;
    }
    const std::uint32_t key = it->key;
    lf_swapErase(g_pendingCreates, it);
    return key;
}

void lf_onForeignObject(DWORD object, const std::string& atcId, double aboveGround, std::int64_t onGround,
                        double groundAltitude)
{
    if (atcId == "AS-GEN")
    {
        if (!g_asGenLogged.exchange(true))
        {
            gf_logWarning(
                fmt::format("\nSpawned by Asobo, oid: {}, callsign AS-GEN, altaboveGnd:{:.0f} ft, "
                            "onground:{}, gnd_alt:{:.0f} ft\nThis message will be logged only once...\n",
                            gf_idToText(object), aboveGround, onGround, groundAltitude));
        }
        return;
    }
    gf_log(fmt::format(
        "just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, onground:{}, "
        "gnd_alt:{:.0f} ft",
        g_programShortName, gf_idToText(object), atcId, aboveGround, onGround, groundAltitude));
}

void lf_onOwnObject(DWORD object, std::uint32_t key, double aboveGround)
{
    {
        // The new object stays where it was put until the traffic logic
        // moves it, and the simulator's AI does not fly it.
        const std::lock_guard lock(g_simConnectMutex);
        SimConnect_AIReleaseControl(g_simConnect, object, kReqReleaseControl);
        g_clientEvents.push_back({object, kFreezeLatLonSet, 1});
        g_clientEvents.push_back({object, kFreezeAltitudeSet, 1});
        g_clientEvents.push_back({object, kFreezeAttitudeSet, 1});
    }
    const bool live = key > kLiveKeyAbove;
    gf_pushSimEvent({object, key, 0, live ? kSimEventLiveCreated : kSimEventStaticCreated, 0.0,
                     live ? aboveGround : 0.0});
}

} // namespace

void lf_onObjectAddRemove(const SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE& event)
{
    if (event.eObjType != SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT)
    {
        return;
    }
    const DWORD object = event.dwData;
    if (event.uEventID == kEventObjectAdded)
    {
        if (gf_isAiObjectId(object))
        {
            g_newObjectIds.push_back(object);
        }
    }
    else if (event.uEventID == kEventObjectRemoved)
    {
        // An object that went before any report named it is forgotten, so
        // that the list cannot grow without bound.
        std::erase(g_newObjectIds, object);
        std::erase_if(g_pendingCreates, [&](const PendingCreate& p) { return p.objectId == object; });
        gf_pushSimEvent({object, 0, 0, kSimEventRemoved, 0.0, 0.0});
    }
}

void lf_onSimObjectDataByType(const ObjectData& data)
{
    if (data.requestId != kReqNearby)
    {
        return;
    }
    if (data.block.size() < kNearbyBytes)
    {
        lf_logShortData(data, kNearbyBytes);
        return;
    }
    const DWORD object = data.objectId;
    if (!gf_isAiObjectId(object))
    {
        return;
    }
    const double aboveGround = data.f64(kNearbyAboveGround);
    const double groundAltitude = data.f64(kNearbyGroundAltitude);
    const std::int64_t onGround = data.i64(kNearbyOnGround);
    const std::string atcId = data.string32(kNearbyAtcId);

    const auto known = std::find(g_newObjectIds.begin(), g_newObjectIds.end(), object);
    if (known == g_newObjectIds.end())
    {
        if (aboveGround > kGroundDataCeilingFt || atcId.empty() || atcId.back() == '*')
        {
            return;
        }
        gf_pushSimEvent({object, static_cast<std::uint32_t>(onGround), 0, kSimEventGroundData, groundAltitude,
                         aboveGround});
        return;
    }

    lf_swapErase(g_newObjectIds, known);
    const std::uint32_t key = atcId.empty() ? 0 : lf_takePendingByCallsign(atcId);
    if (key == 0)
    {
        lf_onForeignObject(object, atcId, aboveGround, onGround, groundAltitude);
        return;
    }
    lf_onOwnObject(object, key, aboveGround);
}

void lf_onAssignedObjectId(const SIMCONNECT_RECV_ASSIGNED_OBJECT_ID& assigned)
{
    const DWORD object = assigned.dwObjectID;
    const auto it = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                                 [&](const PendingCreate& p)
                                 { return p.objectId == 0 && p.requestId == assigned.dwRequestID; });
    if (it == g_pendingCreates.end() || !gf_isAiObjectId(object))
    {
        return;
    }
    it->objectId = object;
    std::erase(g_newObjectIds, object);
    bool failed = false;
    {
        const std::lock_guard lock(g_simConnectMutex);
        failed = SimConnect_RequestDataOnSimObject(g_simConnect, kReqNewObject, kDefNearby, object,
                                                   SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0) < 0;
    }
    if (failed)
    {
        gf_log("SimConnect request new ac data fails");
        gf_onSimRequestError();
    }
}

void lf_onNewObjectData(const ObjectData& data)
{
    if (data.block.size() < kNearbyBytes)
    {
        lf_logShortData(data, kNearbyBytes);
        return;
    }
    const auto it = lf_findAssigned(data.objectId);
    if (it == g_pendingCreates.end())
    {
        return;
    }
    const std::uint32_t key = it->key;
    lf_swapErase(g_pendingCreates, it);
    lf_onOwnObject(data.objectId, key, data.f64(kNearbyAboveGround));
}

void lf_onCreateFailed(DWORD sendId)
{
    // 0 marks a create whose packet id could not be learned.
    if (sendId == 0)
    {
        return;
    }
    const auto it = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                                 [&](const PendingCreate& p) { return p.sendId == sendId; });
    if (it == g_pendingCreates.end())
    {
        return;
    }
    const std::uint32_t key = it->key;
    lf_swapErase(g_pendingCreates, it);
    if (key != 0)
    {
        gf_pushSimEvent({0, key, 0, kSimEventCreateFailed, 0.0, 0.0});
    }
}

void lf_onStaticValues(const ObjectData& data)
{
    if (data.block.size() < kStaticValuesBytes)
    {
        lf_logShortData(data, kStaticValuesBytes);
        return;
    }
    gf_pushSimEvent({data.objectId, 0, 0, kSimEventStaticValues, data.f64(0), data.f64(8)});
}

void lf_resetAsGenNote()
{
    g_asGenLogged.store(false);
}

} // namespace ovr
