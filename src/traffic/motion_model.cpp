#include "traffic/motion_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <fmt/format.h>

#include "core/flight_text.h"
#include "core/log.h"
#include "traffic/motion_common.h"

namespace ovr
{

void lf_nextSegment(LiveAc& ac)
{
    lf_resetCurve(ac);
    {
        PositionSample& front = ac.samples[0];
        PositionSample& next = ac.samples[1];
        if (next.onGround == 0 && lf_samePlace(next, front))
        {
            next.onGround = 1;
        }
        if (next.onGround == 0)
        {
            ac.course = gf_bearing(lf_at(front), lf_at(next));
        }
    }
    if (ac.groundMode != 0 && (ac.situation == kSituationTaxi || ac.situation == kSituationFlying) &&
        ac.samples[1].airborne != 0 &&
        gf_climbsAway(ac, ac.cur.altitude - ac.aboveGround))
    {
        // Held on the ground while its samples climb away: it takes off.
        lf_startTakeOff(ac);
    }
    if (ac.groundMode != 0)
    {
        nextPosGround(ac);
    }
    else
    {
        lf_airStep(ac);
    }
    if (ac.samples.size() < 2)
    {
        return;
    }
    PositionSample& next = ac.samples[1];
    if (next.onGround != 0)
    {
        ac.latitudeStep = 0.0;
        ac.longitudeStep = 0.0;
        ac.motion.curveStep = 0.0;
        if (ac.touchdownMark == 0 && ac.takeOffMark == 0)
        {
            lf_decaySlack(ac);
        }
        if (ac.groundMode == 0)
        {
            ac.verticalStep = 0.0;
        }
    }
    else
    {
        const std::int64_t ticks = std::max(kShortestSegment, next.playMoment - g_clock.load());
        ac.latitudeStep = (next.latitude - ac.cur.latitude) / static_cast<double>(ticks);
        ac.longitudeStep = (next.longitude - ac.cur.longitude) / static_cast<double>(ticks);
        if (lf_curveSet(ac) && ac.situation != kSituationPushingBack)
        {
            ac.motion.curveStep = 1.0 / static_cast<double>(ticks);
        }
        if (ac.groundMode != 0)
        {
            lf_groundSegment(ac);
        }
        else
        {
            lf_airSegment(ac, ticks);
        }
    }
    ac.samples.pop_front();
}

void nextPosMain(LiveAc& ac)
{
    try
    {
        for (;;)
        {
            if (ac.samples.size() >= 2)
            {
                if (ac.groundMode != 0 || ac.samples[1].onGround == 0 || ac.category == kRotorcraft)
                {
                    lf_nextSegment(ac);
                    return;
                }
                ac.samples.erase(ac.samples.begin() + 1);
                continue;
            }
            if (!lf_extendStream(ac))
            {
                removeAircraftFromSim(ac);
                return;
            }
        }
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "nextPosMain", e.what(), gf_flightText(ac),
                           ac.samples.size(), gf_situationText(ac.situation), gf_simStateText(ac.simState)));
        throw;
    }
}

void lf_curveStep(LiveAc& ac)
{
    const AcPosition before = ac.cur;
    const std::uint32_t s = ac.situation;
    if (lf_curveSet(ac))
    {
        lf_curveTick(ac);
    }
    else
    {
        if (s == kSituationTakeOff || s == kSituationFlying || s == kSituationParked || s == kSituationBirth)
        {
            lf_airHeadingTick(ac);
        }
        else if (s == kSituationParking || ac.motion.directTurn != 0)
        {
            lf_turnTowards(ac, ac.course);
        }
        if (s != kSituationPushedBack)
        {
            ac.cur.latitude += ac.latitudeStep;
            ac.cur.longitude += ac.longitudeStep;
        }
    }
    if (s == kSituationTakeOff)
    {
        lf_takeOffTick(ac);
    }
    else
    {
        if (ac.attitudeTicks > 1)
        {
            --ac.attitudeTicks;
            ac.cur.pitch += ac.pitchStep;
            ac.cur.bank += ac.bankStep;
        }
        else if (ac.groundMode == 0)
        {
            lf_bankTick(ac);
        }
        lf_flarePitchTick(ac);
        if (ac.groundMode == 0)
        {
            const double target = ac.motion.targetAltitude;
            double alt = ac.cur.altitude + ac.verticalStep;
            if ((ac.verticalStep > 0.0 && alt > target && ac.cur.altitude <= target) ||
                (ac.verticalStep < 0.0 && alt < target && ac.cur.altitude >= target))
            {
                alt = target;
            }
            const double climbed = alt - ac.cur.altitude;
            ac.aboveGround += climbed;
            ac.cur.altitude = alt;
            if (ac.attitudeTicks <= 1 && ac.motion.flareTicksLeft == 0 && ac.motion.landingStage == 0)
            {
                lf_pitchTick(ac, climbed * 6000.0);
            }
            lf_flare(ac);
            if (ac.landingMark != 0 && ac.staticCgHeight > 0.0 && ac.aboveGround < ac.staticCgHeight)
            {
                // Never through the runway while the simulator's report is due.
                ac.cur.altitude += ac.staticCgHeight - ac.aboveGround;
                ac.aboveGround = ac.staticCgHeight;
            }
        }
    }
    ac.cur.heading = lf_wrap(ac.cur.heading);
    ac.cur.pitch = std::clamp(ac.cur.pitch, -kPi / 2.0, kPi / 2.0);
    const AcPosition& c = ac.cur;
    if (!std::isfinite(c.latitude) || !std::isfinite(c.longitude) || !std::isfinite(c.altitude) ||
        !std::isfinite(c.heading) || !std::isfinite(c.pitch) || !std::isfinite(c.bank))
    {
        ac.cur = before;
    }
}

} // namespace ovr
