// One aircraft record flown pass by pass on g_clock, without a session:
// sample and aircraft builders and the client events the model queued.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "core/geometry.h"
#include "core/loop_clock.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"

namespace ovr::test
{

inline PositionSample sampleAt(double lat, double lon, double altFt, double gsKt, std::int64_t play, double vr = 0.0)
{
    PositionSample s;
    s.latitude = lat;
    s.longitude = lon;
    s.altitude = altFt;
    s.groundSpeed = gsKt;
    s.trueAirspeed = altFt > 0.0 ? gsKt : 0.0;
    s.verticalRate = vr;
    s.playMoment = play;
    s.airborne = altFt > 0.0 ? 1 : 0;
    return s;
}

// An airliner (category 2) as the record builder would make it.
inline LiveAc airliner()
{
    LiveAc ac;
    ac.aiKey = 0x484161;
    ac.objectId = 42;
    ac.category = 2;
    ac.radius = 0.01;
    ac.baseTurnStep = 0.07 * kDegToRad;
    ac.turnStep = ac.baseTurnStep;
    ac.rotationPitch = -6.0 * kDegToRad;
    ac.climbOutPitch = -16.5 * kDegToRad;
    ac.flareTicks = 400;
    ac.noseLoweringTicks = 350;
    ac.rotationTicks = 200;
    ac.pitchUpTicks = 300;
    ac.maxAltitudeChangePerTick = 0.6;
    ac.standSpeed = 4.0;
    ac.staticCgHeight = 10.0;
    ac.simState = kSimStateActive;
    ac.situation = kSituationFlying;
    ac.airConfigDone = 1;
    return ac;
}

inline std::vector<ClientEventCmd> takeEvents()
{
    const std::lock_guard lock(g_simConnectMutex);
    std::vector<ClientEventCmd> out = g_clientEvents;
    g_clientEvents.clear();
    return out;
}

inline bool sent(const std::vector<ClientEventCmd>& events, std::uint32_t id, std::uint32_t data)
{
    for (const ClientEventCmd& e : events)
    {
        if (e.eventId == id && e.data == data)
        {
            return true;
        }
    }
    return false;
}

class MotionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_clock.store(100000);
        takeEvents();
    }
    void TearDown() override
    {
        takeEvents();
        g_liveAircraft.clear();
    }
};

} // namespace ovr::test
