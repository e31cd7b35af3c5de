#include "traffic/record_checks.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"

namespace ovr
{

namespace
{

constexpr double kMinUpdateSeconds = 1.0;
constexpr double kSlowKt = 5.0;
constexpr double kJumpFactor = 10.0;
constexpr double kStandStillJumpKt = 80.0;
constexpr double kFastAirborneKt = 120.0;
constexpr double kAirTrackTolerance = 1.0; // degrees
constexpr double kAirSpacingNm = 0.2429805615550756; // 450 m
constexpr double kSlowGroundKt = 30.0;
constexpr double kGroundTrackTolerance = 2.0;
constexpr double kGroundSpacingNm = 0.010799136069114472; // 20 m
constexpr double kGroundWaitSeconds = 15.0;
// Reported speeds lag and positions carry their own errors: a place is out
// of reach only well beyond the faster of the two speeds.
constexpr double kReachFactor = 1.5;
constexpr double kReachMarginKt = 100.0;
constexpr double kLeastReachKt = 250.0;

double lf_trackDifference(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

// A record that adds nothing: too close behind the last taken one on the
// same track.
bool lf_redundant(const LiveAc& ac, const PositionSample& last, const PositionSample& next, double dt)
{
    if (ac.extrapolationCount >= 1)
    {
        return false;
    }
    const double turn = lf_trackDifference(next.track, last.track);
    if (next.airborne != 0 && next.groundSpeed > kFastAirborneKt && turn <= kAirTrackTolerance &&
        dt <= kAirSpacingNm / (next.groundSpeed / 3600.0))
    {
        return true;
    }
    if (next.airborne == 0 && next.groundSpeed <= kSlowGroundKt && turn <= kGroundTrackTolerance)
    {
        const double wait = next.groundSpeed > 0.0
                                ? std::min(kGroundSpacingNm / (next.groundSpeed / 3600.0), kGroundWaitSeconds)
                                : kGroundWaitSeconds;
        return dt <= wait;
    }
    return false;
}

} // namespace

bool gf_speedsAgree(double lastKt, double nextKt)
{
    if ((lastKt > kSlowKt && nextKt >= kJumpFactor * lastKt) || (nextKt > kSlowKt && lastKt >= kJumpFactor * nextKt))
    {
        return false;
    }
    return !((lastKt <= kSlowKt && nextKt >= kStandStillJumpKt) || (nextKt <= kSlowKt && lastKt >= kStandStillJumpKt));
}

bool gf_placesAgree(const PositionSample& last, const PositionSample& next, double seconds)
{
    if (!(seconds > 0.0))
    {
        return true;
    }
    const double impliedKt = gf_distanceNm(LatLon{last.latitude, last.longitude},
                                           LatLon{next.latitude, next.longitude}) /
                             (seconds / 3600.0);
    const double fastest = std::max(last.groundSpeed, next.groundSpeed);
    return impliedKt <= std::max(kLeastReachKt, kReachFactor * fastest + kReachMarginKt);
}

bool gf_recordFits(LiveAc& ac, const TrafficRecord& record)
{
    const PositionSample& next = record.sample;
    const double dt = record.dataTime - ac.lastDataTime;
    if (dt == 0.0 || dt <= kMinUpdateSeconds)
    {
        return false;
    }
    IntakeRefs& refs = ac.intake;
    const bool speedOk = gf_speedsAgree(refs.taken.groundSpeed, next.groundSpeed);
    const bool placeOk = gf_placesAgree(refs.taken, next, dt);
    if (!speedOk || !placeOk)
    {
        const double sinceRefused = record.dataTime - refs.refusedTime;
        if (refs.refusedHeld != 0 && sinceRefused > kMinUpdateSeconds &&
            gf_speedsAgree(refs.refused.groundSpeed, next.groundSpeed) &&
            gf_placesAgree(refs.refused, next, sinceRefused))
        {
            refs.refusedHeld = 0;
            if (!placeOk)
            {
                // Confirmed somewhere it cannot have flown to: it appears there
                // anew rather than crossing the gap.
                gf_log(fmt::format("{} {} moved {:.1f} NM in {:.0f} s, created again there", "gf_recordFits",
                                   gf_flightText(ac),
                                   gf_distanceNm(LatLon{refs.taken.latitude, refs.taken.longitude},
                                                 LatLon{next.latitude, next.longitude}),
                                   dt));
                removeAircraftFromSim(ac);
                return false;
            }
            refs.taken = next;
            return true;
        }
        refs.refused = next;
        refs.refusedTime = record.dataTime;
        refs.refusedHeld = 1;
        return false;
    }
    if (lf_redundant(ac, refs.taken, next, dt))
    {
        return false;
    }
    refs.refusedHeld = 0;
    refs.taken = next;
    return true;
}

} // namespace ovr
