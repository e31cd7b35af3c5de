// The main loop's side of the window's requests: what the per-second step
// does to the aircraft in the simulator when the window raised a flag.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

#include "airports/parking_state.h"
#include "app/main_loop_detail.h"
#include "app_fixture.h"
#include "core/parameters.h"
#include "core/window_requests.h"
#include "simlink/object_events.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

constexpr double kUserLat = 50.0;
constexpr double kUserLon = 8.0;

class WindowRequestsTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        lf_clearAircraft();
        g_userPos.latitude = kUserLat;
        g_userPos.longitude = kUserLon;
        g_userPos.altitude = 30000.0;
        g_userPos.altitudeAboveGround = 30000.0;
    }

    void TearDown() override
    {
        lf_clearAircraft();
        AppTest::TearDown();
    }

    // A live aircraft `nm` north of the user, on the ground.
    static LiveAc& addLive(std::uint32_t objectId, std::uint32_t simState, std::uint32_t situation, double nm)
    {
        LiveAc ac;
        ac.objectId = objectId;
        ac.aiKey = kLiveKeyAbove + objectId;
        ac.simState = simState;
        ac.situation = situation;
        ac.cur.latitude = kUserLat + nm / 60.0;
        ac.cur.longitude = kUserLon;
        ac.latitude = ac.cur.latitude;
        ac.longitude = ac.cur.longitude;
        g_liveAircraft.push_back(ac);
        return g_liveAircraft.back();
    }

    static void addStatic(std::uint32_t objectId, std::uint32_t simState)
    {
        StaticAc ac;
        ac.objectId = objectId;
        ac.aiKey = objectId;
        ac.simState = simState;
        ac.latitude = kUserLat + 0.1;
        ac.longitude = kUserLon;
        g_staticAircraft.push_back(ac);
    }

    // The removals waiting for their paced turn.
    static std::vector<std::uint32_t> removals() { return {g_removalQueue.begin(), g_removalQueue.end()}; }

    static std::vector<ClientEventCmd> events(std::uint32_t eventId)
    {
        const std::scoped_lock lock(g_simConnectMutex);
        std::vector<ClientEventCmd> found;
        std::ranges::copy_if(g_clientEvents, std::back_inserter(found),
                             [&](const ClientEventCmd& e) { return e.eventId == eventId; });
        return found;
    }

  private:
    static void lf_clearAircraft()
    {
        g_liveAircraft.clear();
        g_staticAircraft.clear();
        g_addingStack.clear();
        g_removalQueue.clear();
        {
            const std::scoped_lock lock(g_simConnectMutex);
            g_removeRequests.clear();
            g_clientEvents.clear();
            g_createRequests.clear();
        }
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            g_parkAirports.clear();
        }
        gf_clearWindowRequests();
    }
};

// The check box reaches every parked aircraft in the simulator: the active
// statics and the active live aircraft on their stands, nothing else.
TEST_F(WindowRequestsTest, NavLightsReachActiveStaticsAndParkedLiveAircraft)
{
    addStatic(101, kSimStateActive);
    addStatic(102, kSimStateAdding);
    addLive(201, kSimStateActive, kSituationParked, 5.0);
    addLive(202, kSimStateActive, kSituationTaxi, 6.0);
    addLive(203, kSimStateRemoving, kSituationParked, 7.0);
    NAV_LIGHTS_WHILE_PARKED.current.store(true);
    g_navLightsChanged.store(1);

    lf_everySecond();

    std::set<std::uint32_t> lit;
    for (const ClientEventCmd& e : events(kNavLightsSet))
    {
        EXPECT_EQ(e.data, 1u);
        lit.insert(e.objectId);
    }
    EXPECT_EQ(lit, (std::set<std::uint32_t>{101, 201}));
    EXPECT_EQ(g_navLightsChanged.load(), 0);
}

// A lower MAX_LIVE_SEL removes exactly as many active live aircraft as are
// above it, the farthest first.
TEST_F(WindowRequestsTest, LoweringTheLiveLimitRemovesExactlyTheDifference)
{
    for (std::uint32_t i = 1; i <= 5; ++i)
    {
        addLive(300 + i, kSimStateActive, kSituationFlying, 10.0 * i);
    }
    addLive(399, kSimStateAdding, kSituationBirth, 90.0); // not counted, not removed
    MAX_LIVE_SEL.current.store(3);
    g_maxLiveChanged.store(1);

    lf_everySecond();

    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{305, 304}));
    EXPECT_EQ(
        std::ranges::count_if(g_liveAircraft, [](const LiveAc& a) { return a.simState == kSimStateActive; }),
        3);
    EXPECT_EQ(g_maxLiveChanged.load(), 0);
}

// A changed time shift makes all traffic stale: the live aircraft in the
// simulator go, a creation not yet sent is taken back, and the statics go.
TEST_F(WindowRequestsTest, TheTimeShiftFlushEmptiesTheSimulator)
{
    addLive(401, kSimStateActive, kSituationFlying, 10.0);
    addLive(402, kSimStateAdding, kSituationBirth, 12.0);
    g_addingStack.push_back(kLiveKeyAbove + 402);
    addLive(403, kSimStateBuffer, kSituationBirth, 14.0).objectId = 0;
    addStatic(501, kSimStateActive);
    g_timeShiftFlushRequested.store(1);

    lf_everySecond();

    EXPECT_EQ(removals(), (std::vector<std::uint32_t>{401, 501}));
    EXPECT_TRUE(g_addingStack.empty());
    std::vector<std::uint32_t> left;
    for (const LiveAc& a : g_liveAircraft)
    {
        left.push_back(a.aiKey - kLiveKeyAbove);
    }
    EXPECT_EQ(left, (std::vector<std::uint32_t>{401, 403}));
    EXPECT_EQ(g_timeShiftFlushRequested.load(), 0);
}

// A destination typed in the window becomes the first park airport.
TEST_F(WindowRequestsTest, ATypedDestinationBecomesTheFirstParkAirport)
{
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirports.push_back(ParkAirportEntry{IcaoCode("EDDF"), {}, 50.03, 8.56, 0.0});
    }
    g_destinationRequest.store(DestinationRequest{IcaoCode("EDDM"), 48.35, 11.79});

    lf_everySecond();

    const std::scoped_lock lock(g_parkAirportsMutex);
    ASSERT_FALSE(g_parkAirports.empty());
    EXPECT_EQ(g_parkAirports.front().icao, IcaoCode("EDDM"));
    EXPECT_DOUBLE_EQ(g_parkAirports.front().latitude, 48.35);
    EXPECT_FALSE(g_destinationRequest.load().has_value());
}

} // namespace
} // namespace ovr::test
