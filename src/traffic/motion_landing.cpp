#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "core/log.h"
#include "core/loop_clock.h"
#include "simlink/sim_queues.h"
#include "traffic/live_lists.h"
#include "traffic/motion_common.h"

namespace ovr
{

namespace
{

constexpr double kFlareStartFt = 400.0;
constexpr double kFullPercent = 100.0;
constexpr double kOffCourse = kPi / 2.0;                  // 90 degrees
constexpr double kTurnedBack = 150.0 * kDegToRad;
constexpr double kCappedAboveKt = 40.0;
// Within this a sample behind the aircraft is where it is, not behind it.
constexpr double kBehindToleranceNm = 0.05;

double lf_offHeading(const LiveAc& ac, LatLon from, const PositionSample& sample)
{
    return std::fabs(lf_turn(ac.cur.heading, gf_bearing(from, lf_at(sample))));
}

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
            ac.motion.flareTicksLeft = static_cast<std::int32_t>(ticks);
            ac.motion.flarePitchStep = (-4.0 * kDegToRad - ac.cur.pitch) / ticks;
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

bool checkNewPosDuringLanding(LiveAc& ac, PositionSample& sample)
{
    if (ac.samples.empty())
    {
        gf_logWarning(fmt::format("{} empty sz?", "checkNewPosDuringLanding"));
        return false;
    }
    if (lf_samePlace(sample, ac.samples.back()))
    {
        return false;
    }
    // In the air a landing never goes back over what it has flown: a sample
    // behind the aircraft itself is late news, whatever the samples ahead say.
    if (ac.groundMode == 0 && gf_distanceNm(lf_here(ac), lf_at(sample)) > kBehindToleranceNm &&
        lf_offHeading(ac, lf_here(ac), sample) >= kOffCourse)
    {
        return false;
    }
    if (ac.samples.size() == 1)
    {
        const double off = lf_offHeading(ac, lf_at(ac.samples.front()), sample);
        if (off >= kTurnedBack)
        {
            if (ac.extrapolationCount > 0)
            {
                return false;
            }
            // Ahead of its data: the stream starts again where the aircraft is.
            PositionSample& front = ac.samples.front();
            front.latitude = ac.cur.latitude;
            front.longitude = ac.cur.longitude;
            front.playMoment = g_clock.load() + 1;
        }
        else if (off >= kOffCourse && ac.landingMark != 0)
        {
            return false;
        }
    }
    else if (lf_offHeading(ac, lf_at(ac.samples.back()), sample) >= kOffCourse)
    {
        ac.samples.pop_back();
        if (ac.samples.size() >= 2 && lf_offHeading(ac, lf_at(ac.samples.back()), sample) >= kOffCourse)
        {
            ac.samples.pop_back();
        }
    }
    lf_endExtrapolation(ac);
    const PositionSample& newest = ac.samples.back();
    if (lf_samePlace(sample, newest))
    {
        sample.onGround = 1;
    }
    else if (sample.groundSpeed > newest.groundSpeed && sample.groundSpeed > kCappedAboveKt)
    {
        sample.groundSpeed = newest.groundSpeed;
    }
    return true;
}

void lf_flarePitchTick(LiveAc& ac)
{
    if (ac.motion.flareTicksLeft > 0)
    {
        --ac.motion.flareTicksLeft;
        ac.cur.pitch += ac.motion.flarePitchStep;
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
    ac.motion.flareTicksLeft = 0;
    ac.motion.bankTarget = 0.0;
    ac.situation = kSituationTaxi;
    ac.previousSituation = kSituationFlying;
}

} // namespace ovr
