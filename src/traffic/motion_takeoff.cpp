#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "core/flight_text.h"
#include "core/log.h"
#include "simlink/sim_queues.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

// Above the ground by this much a sample is a climb, not a roll or a hop.
constexpr double kWellAboveGroundFt = 200.0;

constexpr std::int32_t kLowestTakeOffCount = -1000;

} // namespace

void lf_takeOffTick(LiveAc& ac)
{
    MotionState& m = ac.motion;
    if (m.sinceRotation >= 0 && m.sinceRotation < std::numeric_limits<std::int32_t>::max())
    {
        ++m.sinceRotation;
    }
    if (ac.attitudeTicks > kLowestTakeOffCount)
    {
        --ac.attitudeTicks;
    }
    if (ac.attitudeTicks >= 1)
    {
        ac.cur.pitch += ac.pitchStep;
        return; // pinned to the runway until the rotation ends
    }
    // Pitch up from the rotation pitch to the climb-out pitch (nose up is negative).
    if (ac.pitchStep != 0.0 || ac.cur.pitch > ac.climbOutPitch)
    {
        const double step = (ac.climbOutPitch - ac.rotationPitch) / std::max<double>(1.0, ac.pitchUpTicks);
        ac.cur.pitch += step;
        ac.pitchStep = step;
        if (ac.cur.pitch <= ac.climbOutPitch || step >= 0.0)
        {
            ac.cur.pitch = ac.climbOutPitch;
            ac.pitchStep = 0.0;
        }
    }
    const std::int32_t after = -ac.attitudeTicks;
    const double share = after < 100 ? 0.1 : after < 200 ? 0.2 : 1.0;
    const double rise = std::max(0.0, ac.verticalStep) * share;
    ac.cur.altitude += rise;
    ac.aboveGround += rise;
    if (m.sinceRotation >= 300 && m.gearUpDone == 0)
    {
        m.gearUpDone = 1;
        gf_setGear(ac, false);
        m.gearDown = 0;
    }
    if (ac.pitchStep == 0.0 && ac.aboveGround >= 800.0)
    {
        gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 3);
        lf_setSituation(ac, kSituationFlying);
        ac.attitudeTicks = 1;
        m.sinceRotation = -1;
        m.climbConfigDone = 1;
    }
}

bool lf_atRotationSpeed(const LiveAc& ac, std::uint32_t category)
{
    if (ac.samples.size() < 2)
    {
        return false;
    }
    const double vr = gf_rotationSpeedKt(category);
    return std::all_of(ac.samples.begin() + 1, ac.samples.end(),
                       [vr](const PositionSample& s) { return s.groundSpeed >= vr; });
}

void lf_climbStep(LiveAc& ac)
{
    if (ac.samples.size() < 2)
    {
        ac.verticalStep = 0.0;
        return;
    }
    const PositionSample& n = ac.samples[1];
    if (n.altitude > ac.cur.altitude)
    {
        const double ticks = static_cast<double>(std::max(kShortestSegment, n.playMoment - g_clock.load()));
        ac.verticalStep = std::min((n.altitude - ac.cur.altitude) / ticks, ac.maxAltitudeChangePerTick);
    }
    else
    {
        ac.verticalStep = 0.0;
    }
}

void lf_climbTo(LiveAc& ac, std::size_t k)
{
    if (k >= ac.samples.size() || ac.samples[k].airborne == 0)
    {
        return;
    }
    ac.samples.erase(ac.samples.begin() + 1, ac.samples.begin() + static_cast<std::ptrdiff_t>(k));
    const std::int64_t ticks = std::max(kShortestSegment, ac.samples[1].playMoment - g_clock.load());
    lf_retimeNext(ac, ticks);
    lf_climbStep(ac);
}

bool gf_climbsAway(const LiveAc& ac, double groundFt)
{
    if (ac.samples.empty() || ac.samples.back().airborne == 0)
    {
        return false;
    }
    return std::ranges::any_of(ac.samples, [groundFt](const PositionSample& s)
                               { return s.airborne != 0 && s.altitude > groundFt + kWellAboveGroundFt; });
}

void lf_markTakeOff(LiveAc& ac)
{
    if (ac.towedMark != 0)
    {
        gf_log(fmt::format("towed aircraft takes-off? {}", gf_flightText(ac)));
    }
    ac.takeOffMark = 1;
    gf_setThrottle(ac, 0);
    gf_setSpoilers(ac, false);
    gf_setFlaps(ac, 1);
    lf_clearLandingMarks(ac);
    lf_sendLights(ac, kTakeOffLights);
    ac.slackEarly = 3000;
    ac.slackLate = 5000;
}

void lf_startTakeOff(LiveAc& ac)
{
    const bool touchAndGo = ac.touchdownMark != 0;
    const std::int32_t n = std::max<std::int32_t>(1, static_cast<std::int32_t>(ac.rotationTicks));
    ac.cur.bank = 0.0;
    ac.attitudeTicks = n;
    ac.pitchStep = (ac.rotationPitch - ac.cur.pitch) / static_cast<double>(n);
    ac.bankStep = 0.0;
    ac.motion.bankTarget = 0.0;
    if (ac.takeOffMark == 0)
    {
        lf_markTakeOff(ac);
    }
    lf_setSituation(ac, kSituationTakeOff);
    ac.headingStep = 0.0;
    lf_resetCurve(ac);
    // The wheels leave the simulator's hold at the rotation.
    ac.groundMode = 0;
    ac.motion.sinceRotation = 0;
    ac.motion.gearUpDone = 0;
    if (touchAndGo)
    {
        ac.touchdownMark = 0;
        ac.landingMark = 0;
        ac.motion.landingStage = 0;
        ac.motion.flareTicksLeft = 0;
        gf_setThrottle(ac, 4);
        gf_setSpoilers(ac, true);
        gf_setFlaps(ac, 1);
    }
    lf_climbStep(ac);
}

} // namespace ovr
