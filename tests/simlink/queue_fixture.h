// The link driven as the main loop and the SimClient thread drive it, both
// played by the test: the user aircraft known, own aircraft created and
// matched, the nearby report asked for.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "link_fixture.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"

namespace ovr::test
{

inline constexpr std::string_view kTitle = "Airbus A320 Lufthansa";
inline constexpr double kGroundFt = 364.0;

// Standing a little north of the user aircraft.
inline sim::Pose standingNearby()
{
    sim::Pose p;
    p.latDeg = 50.04;
    p.lonDeg = 8.56;
    return p;
}

class QueueTest : public LinkTest
{
  protected:
    // The world started, connected, the user aircraft's id known.
    void begin(sim::Scenario scenario = baseScenario())
    {
        startWorld(std::move(scenario));
        connect();
        userTick();
    }

    static CreateRequest request(std::string callsign, std::uint32_t key, std::string_view title = kTitle,
                                 double aboveGroundFt = 0.0)
    {
        CreateRequest r;
        r.initPosition.Latitude = 50.04;
        r.initPosition.Longitude = 8.56;
        r.initPosition.Altitude = kGroundFt + aboveGroundFt;
        r.initPosition.OnGround = aboveGroundFt > 0.0 ? 0 : 1;
        r.callsign = std::move(callsign);
        r.liveryTitle = title;
        r.key = key;
        return r;
    }

    // The main loop's nearby-aircraft request (101).
    void requestNearby()
    {
        const std::lock_guard lock(g_simConnectMutex);
        SimConnect_RequestDataOnSimObjectType(g_simConnect, kReqNearby, kDefNearby, 20000,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }

    // Creates an own aircraft and lets it be matched; its object id.
    DWORD createOwn(const std::string& callsign, std::uint32_t key, double aboveGroundFt = 0.0)
    {
        gf_queueCreateAc(request(callsign, key, kTitle, aboveGroundFt));
        frames(5);
        requestNearby();
        step();
        for (const SimEvent& e : takeEvents())
        {
            if (e.key == key && (e.type == kSimEventLiveCreated || e.type == kSimEventStaticCreated))
            {
                step(); // the freeze events go out
                clearCalls();
                return e.objectId;
            }
        }
        ADD_FAILURE() << "no created event for " << callsign;
        return 0;
    }

    void queueEvent(ClientEventCmd e)
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_clientEvents.push_back(e);
    }

    // As the traffic logic does: fill the first buffer, then swap.
    void queuePositions(std::initializer_list<PosUpdate> updates)
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_posUpdates[0]->assign(updates);
        std::swap(g_posUpdates[0], g_posUpdates[1]);
    }

    void queueRemove(std::uint32_t object)
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_removeRequests.push_back(object);
    }
};

} // namespace ovr::test
