#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "simlink/sim_queues.h"
#include "traffic/live_lists.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

constexpr double kFlareStartFt = 400.0;
constexpr double kFullPercent = 100.0;

} // namespace

void lf_flare(LiveAc& ac)
{
    if (ac.landingMark == 0 || ac.groundMode != 0 || ac.aboveGround > kFlareStartFt)
    {
        return;
    }
    const std::uint8_t stage = ac.motion.landingStage;
    if (stage < kFlare.size() && ac.aboveGround <= ac.staticCgHeight + kFlare[stage].aboveCgFt)
    {
        const FlareStage& f = kFlare[stage];
        if (stage == 0)
        {
            const double ticks = std::max<double>(1.0, ac.flareTicks);
            ac.attitudeTicks = static_cast<std::int32_t>(ticks) + 1;
            ac.pitchStep = (-4.0 * kDegToRad - ac.cur.pitch) / ticks;
        }
        if (stage == 2)
        {
            gf_setThrottle(ac, 0);
        }
        ac.verticalStep = f.step;
        ac.segmentVerticalSpeed = f.rate;
        ac.cur.verticalSpeed = f.rate / 60.0;
        ac.motion.targetAltitude = -std::numeric_limits<double>::infinity();
        ac.motion.landingStage = static_cast<std::uint8_t>(stage + 1);
    }
}

void lf_landingBegins(LiveAc& ac)
{
    gf_setThrottle(ac, ac.category == kRotorcraft ? 4 : 1);
    gf_setFlaps(ac, 3);
    lf_gear(ac, true);
    gf_queuePendingInit(ac.aiKey);
    ac.landingMark = 1;
    ac.motion.landingStage = 0;
    ac.motion.climbConfigDone = 0;
    ac.standId = 0;
    ac.standFlagCopy = 0;
    ac.latitude = 0.0;
    ac.longitude = 0.0;
    ac.attitudeTicks = 1;
    lf_wideSlack(ac, 3000);
}

void gf_onTouchdown(LiveAc& ac)
{
    ac.touchdownMark = 1;
    ac.parkedDurationMark = 1;
    ac.touchdownHeading = ac.cur.heading;
    gf_setSpoilers(ac, true);
    lf_sendTouchdownData(ac, kFullPercent, ac.reverseThrust != 0 ? -kFullPercent : kFullPercent);
    const double ticks = std::max<double>(1.0, ac.noseLoweringTicks);
    ac.pitchStep = (ac.staticPitch - ac.cur.pitch) / ticks;
    ac.bankStep = (0.0 - ac.cur.bank) / ticks;
    ac.attitudeTicks = static_cast<std::int32_t>(ticks) + 1;
    gf_queuePendingInit(ac.aiKey);
    ac.groundMode = 1;
    ac.verticalStep = 0.0;
    ac.motion.landingStage = 0;
    ac.motion.bankTarget = 0.0;
    ac.situation = kSituationTaxi;
    ac.previousSituation = kSituationFlying;
}

} // namespace ovr
