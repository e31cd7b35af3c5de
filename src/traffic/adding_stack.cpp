#include "traffic/adding_stack.h"

#include <algorithm>
#include <cmath>

#include <gsl/gsl>
#include <mutex>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_panel_figures.h"
#include "airports/stand_list.h"
#include "core/flight_text.h"
#include "core/text.h"
#include "core/window_repaint.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "liveries/livery_matching.h"
#include "service/traffic_handover.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_life.h"
#include "traffic/live_lists.h"
#include "traffic/live_parking.h"
#include "traffic/object_activation.h"
#include "traffic/received_traffic.h"
#include "traffic/respawns.h"
#include "traffic/static_parking.h"
#include "traffic/motion_model.h"

namespace ovr
{

std::vector<SimEvent> g_createdEvents;
std::vector<std::uint32_t> g_addingStack;
std::deque<CreateRequest> g_createQueueLive;
std::deque<CreateRequest> g_createQueueStatic;
std::deque<std::uint32_t> g_removalQueue;

namespace
{

constexpr std::int64_t kRemovalPeriod = 10;  // ticks: one removal per 100 ms
constexpr std::int64_t kCreatePeriod = 50;   // one creation per 500 ms
constexpr std::int64_t kNearbyPeriod = 20;   // the aircraft in range every 200 ms
constexpr std::int64_t kUserPeriod = 100;    // the user aircraft once a second
constexpr std::size_t kRecordsPerPass = 2;
constexpr double kMinCgHeightFt = 1.0;
constexpr double kMaxCgHeightFt = 35.0;
constexpr double kLowestStaticPitch = -1.0 * kDegToRad;
constexpr double kHighestStaticPitch = 2.5 * kDegToRad;
constexpr double kDefaultStaticPitch = 0.7 * kDegToRad;

// Main-loop thread: the events of one pass, swapped out of the shared queue
// so that the traffic logic acts on them without g_objectEventsMutex (it
// queues simulator work, which takes g_simConnectMutex).
std::vector<SimEvent> g_eventsInHand;

// The live aircraft by object id, built at the first event of a pass that
// needs it and dropped when an event changes the list. An open-addressed
// table whose room stays from pass to pass: a hash map made and freed a node
// per aircraft on every pass with events, which cost more than the search.
class ObjectIndex
{
  public:
    LiveAc* find(std::uint32_t objectId)
    {
        std::vector<Slot>& slots = storage();
        if (!m_valid)
        {
            build(slots);
        }
        if (objectId == 0)
        {
            return nullptr;
        }
        for (std::size_t i = home(objectId, slots.size());; i = (i + 1) & (slots.size() - 1))
        {
            if (slots[i].objectId == objectId)
            {
                return &g_liveAircraft[slots[i].at];
            }
            if (slots[i].objectId == 0)
            {
                return nullptr;
            }
        }
    }
    void invalidate() { m_valid = false; }

  private:
    struct Slot
    {
        std::uint32_t objectId = 0; // 0: empty (no object has id 0)
        std::size_t at = 0;
    };

    // One pass's index at a time, on the main loop's thread.
    static std::vector<Slot>& storage()
    {
        static std::vector<Slot> slots;
        return slots;
    }

    static std::size_t home(std::uint32_t objectId, std::size_t size)
    {
        return static_cast<std::size_t>((objectId * 0x9E3779B97F4A7C15ull) >> 32) & (size - 1);
    }

    // At most half full; of two aircraft with one id the first is found.
    void build(std::vector<Slot>& slots)
    {
        std::size_t size = 16;
        while (size < 2 * g_liveAircraft.size())
        {
            size *= 2;
        }
        slots.assign(size, Slot{});
        for (std::size_t at = 0; at < g_liveAircraft.size(); ++at)
        {
            const std::uint32_t id = g_liveAircraft[at].objectId;
            if (id == 0)
            {
                continue;
            }
            std::size_t i = home(id, size);
            while (slots[i].objectId != 0 && slots[i].objectId != id)
            {
                i = (i + 1) & (size - 1);
            }
            if (slots[i].objectId == 0)
            {
                slots[i] = Slot{id, at};
            }
        }
        m_valid = true;
    }

    bool m_valid = false;
};

template <class T> void lf_swapErase(std::vector<T>& v, std::size_t i)
{
    if (i + 1 != v.size())
    {
        v[i] = std::move(v.back());
    }
    v.pop_back();
}

void lf_onGroundData(LiveAc& ac, const SimEvent& e)
{
    if (e.key == 1 && ac.groundMode == 0 && ac.attitudeTicks <= 1 && ac.simState != kSimStateRemoving &&
        ac.situation != kSituationTakeOff)
    {
        if (ac.landingMark != 0)
        {
            gf_onTouchdown(ac);
        }
        else if (!gf_climbsAway(ac, e.a))
        {
            ac.groundMode = 1;
            ac.verticalStep = 0.0;
            ac.attitudeTicks = 1;
        }
    }
    ac.aboveGround = e.b;
    if (ac.groundMode != 0 || ac.attitudeTicks >= 2)
    {
        ac.cur.altitude = e.a + ac.staticCgHeight;
    }
    else if (ac.cur.altitude < e.a + ac.staticCgHeight && ac.landingMark == 0)
    {
        // Flying on samples below the terrain (a lift-off read before the
        // field's elevation was known): on the ground, not through it.
        ac.aboveGround += e.a + ac.staticCgHeight - ac.cur.altitude;
        ac.cur.altitude = e.a + ac.staticCgHeight;
    }
}

void lf_onStaticValues(LiveAc& ac, const SimEvent& e)
{
    if (e.a >= kMinCgHeightFt && e.a <= kMaxCgHeightFt)
    {
        ac.staticCgHeight = e.a;
    }
    ac.staticPitch = e.b <= kLowestStaticPitch || e.b > kHighestStaticPitch ? kDefaultStaticPitch : e.b;
}

void lf_onCreateFailed(std::uint32_t key, ObjectIndex& index)
{
    if (key > kLiveKeyAbove)
    {
        const auto it = std::ranges::find_if(g_liveAircraft, [key](const LiveAc& a) { return a.aiKey == key; });
        if (it != g_liveAircraft.end())
        {
            gf_liveryNotCreated(*it);
            g_liveAircraft.swapErase(static_cast<std::size_t>(it - g_liveAircraft.begin()));
            index.invalidate();
        }
        return;
    }
    const auto it = std::ranges::find_if(g_staticAircraft, [key](const StaticAc& a) { return a.aiKey == key; });
    if (it != g_staticAircraft.end())
    {
        gf_liveryNotCreated(*it);
        lf_swapErase(g_staticAircraft, static_cast<std::size_t>(it - g_staticAircraft.begin()));
    }
}

void lf_onLiveCreated(const SimEvent& e, ObjectIndex& index)
{
    LiveAc* ac = gf_findLiveAc(e.key);
    if (ac == nullptr)
    {
        // The request is no longer known (its aircraft was dropped while the
        // creation was under way): the object would stand frozen for the
        // rest of the session.
        if (e.objectId > g_userObjectId.load())
        {
            gf_log(fmt::format("{} object {} of an aircraft no longer known is removed", "lf_onGroundSlots",
                               e.objectId));
            gf_queueObjectRemoval(e.objectId);
        }
        return;
    }
    if (gf_onLiveAcCreated(*ac, e))
    {
        g_createdEvents.push_back(e);
        g_createdEvents.back().aux = 0;
        index.invalidate();
    }
}

void lf_takeReceived()
{
    const std::lock_guard lock(g_trafficMutex);
    for (std::size_t n = 0; n < kRecordsPerPass && !g_trafficHandover.empty(); ++n)
    {
        gf_takeReceivedAc(g_trafficHandover.back());
        g_trafficHandover.pop_back();
    }
}

void lf_popAddingStack()
{
    if (g_addingStack.empty())
    {
        return;
    }
    const std::uint32_t key = g_addingStack.back();
    g_addingStack.pop_back();
    LiveAc* ac = gf_findLiveAc(key);
    if (ac == nullptr)
    {
        return;
    }
    if (ac->callsign.empty())
    {
        gf_log(fmt::format("{} {} objectid = 0?", "lf_handleAddingStack", gf_flightText(*ac)));
        // Nothing would ever create it; it must not wait in adding2sim.
        ac->erase = 1;
        return;
    }
    CreateRequest request;
    request.initPosition.Latitude = ac->cur.latitude;
    request.initPosition.Longitude = ac->cur.longitude;
    request.initPosition.Altitude = ac->cur.altitude;
    request.initPosition.Pitch = ac->cur.pitch * kRadToDeg;
    request.initPosition.Bank = ac->cur.bank * kRadToDeg;
    request.initPosition.Heading = ac->cur.heading * kRadToDeg;
    request.initPosition.OnGround = 0;
    request.initPosition.Airspeed = 0;
    request.callsign = ac->callsign;
    request.liveryTitle = ac->liveryTitle;
    request.key = ac->aiKey;
    g_createQueueLive.push_back(std::move(request));
}

void lf_sendQueuedWork()
{
    const std::int64_t clock = g_clock.load();
    if (clock % kRemovalPeriod == 0 && !g_removalQueue.empty())
    {
        {
            const std::lock_guard lock(g_simConnectMutex);
            g_removeRequests.push_back(g_removalQueue.front());
        }
        g_removalQueue.pop_front();
    }
    if (clock % kCreatePeriod != 0)
    {
        return;
    }
    if (!g_createQueueLive.empty())
    {
        gf_queueCreateAc(g_createQueueLive.front());
        g_createQueueLive.pop_front();
        return;
    }
    if (!g_createQueueStatic.empty())
    {
        gf_queueCreateAc(g_createQueueStatic.front());
        g_createQueueStatic.pop_front();
    }
    if (!g_parkCandidates.empty())
    {
        lf_checkStaticStand();
    }
}

void lf_requestNearbyAndUser()
{
    const std::int64_t clock = g_clock.load();
    if (clock % kNearbyPeriod == 0)
    {
        bool failed = false;
        {
            const std::lock_guard lock(g_simConnectMutex);
            if (g_simConnectError.load() == 0)
            {
                failed = SimConnect_RequestDataOnSimObjectType(
                             g_simConnect, kReqNearby, kDefNearby,
                             static_cast<DWORD>(std::max(g_rangeMeters.load(), 0)),
                             SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT) < 0;
            }
        }
        if (failed)
        {
            gf_log("SimConnect request ac within range fails");
            gf_onSimRequestError();
        }
    }
    if (clock % kUserPeriod == 0)
    {
        gf_requestUserAcPosition(g_userPos);
    }
}

void lf_swapPositionBuffers()
{
    std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
    if (lock.owns_lock())
    {
        std::swap(g_posUpdates[0], g_posUpdates[1]);
    }
    // Without the lock the updates of this pass are dropped whole: the
    // SimClient thread never sees part of a pass.
    g_posUpdates[0]->clear();
}

} // namespace

bool gf_eraseQueuedCreate(std::deque<CreateRequest>& queue, const StaticAc& aircraft)
{
    const auto sameKey = [&](const CreateRequest& r) { return r.key == aircraft.aiKey; };
    const auto keyed = std::ranges::count_if(queue, sameKey);
    if (keyed == 0)
    {
        return false;
    }
    const std::size_t before = queue.size();
    if (keyed == 1)
    {
        std::erase_if(queue, sameKey);
    }
    else
    {
        std::erase_if(queue, [&](const CreateRequest& r) { return sameKey(r) && r.callsign == aircraft.callsign; });
    }
    return queue.size() != before;
}

void lf_onGroundSlots()
{
    {
        const std::lock_guard lock(g_objectEventsMutex);
        g_eventsInHand.swap(g_objectEvents);
    }
    ObjectIndex index;
    for (const SimEvent& e : g_eventsInHand)
    {
        switch (e.type)
        {
        case kSimEventLiveCreated:
            lf_onLiveCreated(e, index);
            break;
        case kSimEventStaticCreated:
            g_createdEvents.push_back(e);
            g_createdEvents.back().aux = 0;
            break;
        case kSimEventRemoved:
            gf_onObjectRemoved(e.objectId);
            index.invalidate();
            break;
        case kSimEventGroundData:
            if (LiveAc* ac = index.find(e.objectId))
            {
                lf_onGroundData(*ac, e);
            }
            break;
        case kSimEventStaticValues:
            if (LiveAc* ac = index.find(e.objectId))
            {
                lf_onStaticValues(*ac, e);
            }
            break;
        case kSimEventBlockedCallsign:
            gf_onCallsignBlocked(e.key);
            index.invalidate();
            break;
        case kSimEventCreateFailed:
            lf_onCreateFailed(e.key, index);
            break;
        default:
            break;
        }
    }
    g_eventsInHand.clear();
    if (!g_createdEvents.empty())
    {
        gf_activateNewObjects();
    }
}

void lf_handleAddingStack()
{
    lf_onGroundSlots();
    gf_countLiveSlots();
    bool compact = false;
    for (LiveAc& ac : g_liveAircraft)
    {
        compact = updateLiveAc(ac) || compact;
    }
    if (compact)
    {
        g_liveAircraft.eraseIf([](const LiveAc& a) { return a.erase != 0 || a.createCancelled != 0; });
    }
    lf_swapPositionBuffers();
    lf_sendQueuedWork();
    lf_takeReceived();
    lf_popAddingStack();
    lf_requestNearbyAndUser();
    g_clock.fetch_add(1);
}

std::int32_t gf_wantedParking()
{
    const auto stands = static_cast<std::int64_t>(g_stands.size());
    const std::int32_t maxPark = MAX_PARK_SEL.current.load();
    std::int32_t limit = 0;
    std::int32_t shownPercent = 0;
    const std::int32_t custom = CUSTOM_PARKING_PERCENTAGE.current.load();
    const std::int64_t pct = custom >= 0 ? custom : parking_percentage.current.load();
    if (maxPark > 0)
    {
        std::int64_t wanted = 0;
        // The floor of one stand is for small airports with a real share;
        // with nothing asked for or nothing to fill it stays empty.
        if (stands > 0 && pct > 0)
        {
            wanted = stands > 1 && (stands > 3 || pct >= 50)
                         ? std::llround(static_cast<double>(pct * stands) / 100.0)
                         : 1;
        }
        limit = std::min(maxPark, gsl::narrow<std::int32_t>(wanted));
        shownPercent = gf_percentOf(limit, stands);
    }
    else
    {
        shownPercent = parking_percentage.current.load();
    }
    const bool countChanged = g_staticWanted.exchange(limit) != limit;
    const bool percentChanged = g_staticWantedPercent.exchange(shownPercent) != shownPercent;
    if (countChanged || percentChanged)
    {
        gf_repaintMainWindow();
    }
    return limit;
}

void gf_reserveTrafficContainers()
{
    g_parkedLive.reserve(64);
    g_liveAircraft.reserve(512);
    g_staticAircraft.reserve(256);
    g_objectEvents.reserve(256);
    g_eventsInHand.reserve(256);
    g_createdEvents.reserve(128);
    g_addingStack.reserve(64);
    g_parkCandidates.reserve(512);
    g_liveCallsigns.reserve(64);
}

void gf_clearTrafficState()
{
    {
        const std::lock_guard lock(g_objectEventsMutex);
        g_objectEvents.clear();
    }
    g_eventsInHand.clear();
    g_createdEvents.clear();
    g_liveCallsigns.clear();
    g_parkCandidates.clear();
    g_addingStack.clear();
    g_removalQueue = {};
    g_createQueueLive = {};
    g_createQueueStatic = {};
    g_staticAircraft.clear();
    g_parkedLive.clear();
    // The objects of the last session are gone with its connection: records
    // kept from it would be moved and removed under ids that no longer
    // exist.
    g_liveAircraft.clear();
    g_pendingInit.clear();
    lf_clearNoMatchSet();
    gf_forgetRememberedLiveries();
    {
        const std::lock_guard lock(g_trafficMutex);
        g_trafficHandover.clear();
    }
}

} // namespace ovr
