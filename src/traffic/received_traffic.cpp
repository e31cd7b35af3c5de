#include "traffic/received_traffic.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "core/code_pool.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/user_error.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_life.h"
#include "traffic/respawns.h"

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
constexpr double kLowAltitudeFt = 10000.0;
constexpr double kNearParkElevationFt = 108.0;
constexpr double kNoParkElevationFt = -1000.0;

double lf_trackDifference(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

// Records of aircraft standing or rolling at the park airport's elevation
// are ground traffic the intake does not place on its own.
bool lf_nearParkElevation(double altitude)
{
    if (!(altitude > 0.0 && altitude < kLowAltitudeFt))
    {
        return false;
    }
    const double elevation =
        g_parkAirport.icao.empty() ? kNoParkElevationFt : static_cast<double>(g_parkAirport.elevation);
    return std::fabs(altitude - elevation) <= kNearParkElevationFt;
}

bool lf_tooSoon(const LiveAc& ac, const TrafficRecord& record)
{
    const PositionSample& last = ac.samples.back();
    const PositionSample& next = record.sample;
    const double dt = record.dataTime - ac.lastDataTime;
    if (dt == 0.0 || dt <= kMinUpdateSeconds)
    {
        return true;
    }
    if ((last.groundSpeed > kSlowKt && next.groundSpeed >= kJumpFactor * last.groundSpeed) ||
        (next.groundSpeed > kSlowKt && last.groundSpeed >= kJumpFactor * next.groundSpeed))
    {
        return true;
    }
    if ((last.groundSpeed <= kSlowKt && next.groundSpeed >= kStandStillJumpKt) ||
        (next.groundSpeed <= kSlowKt && last.groundSpeed >= kStandStillJumpKt))
    {
        return true;
    }
    if (ac.extrapolationCount < 1)
    {
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
            if (dt <= wait)
            {
                return true;
            }
        }
    }
    return false;
}

bool lf_categoryAdmitted(int category)
{
    switch (category)
    {
    case 0:
        return LIGHT_AIRCRAFT.current.load();
    case 4:
        return HIGH_PERF_AIRCRAFT.current.load();
    case 5:
        return HELICOPTERS.current.load();
    default:
        return true;
    }
}

void lf_addNewLiveAc(const TrafficRecord& record, const FlightKey& key)
{
    FlightBase flight = record;
    flight.key = key;
    flight.secondCallsign = record.callsign;
    flight.text.clear();
    flight.identityTaken = 0;
    const AiAircraftRecord aircraft = gf_makeAiRecord(flight, record.hexId);
    g_liveAircraft.push_back(gf_makeLiveAc(gf_sampleOf(record), aircraft, record.dataTime));
}

void lf_takeNewAc(const TrafficRecord& record)
{
    FlightKey key = record.key;
    if (const std::optional<FlightKey> registered = gf_findRegistrationKey(record.registration))
    {
        key = *registered;
    }
    if (!gf_isKnownModel(g_modelCodes.text(key.model)))
    {
        return;
    }
    if (!lf_categoryAdmitted(gf_categoryOfModel(key.model)))
    {
        return;
    }
    if (lf_nearParkElevation(record.sample.altitude))
    {
        return;
    }
    lf_addNewLiveAc(record, key);
}

void lf_takeRecord(const TrafficRecord& record)
{
    LiveAc* ac = gf_findLiveAc(record.hexId);
    if (ac == nullptr)
    {
        if (g_liveAircraft.hasFlight(record.callsign, record.key.model))
        {
            // The same flight already flies under another transponder id.
            return;
        }
        lf_takeNewAc(record);
        return;
    }
    if (ac->simState == kSimStateLiveryRespawn || ac->simState == kSimStateRemoving)
    {
        return;
    }
    if (!ac->samples.empty() && lf_tooSoon(*ac, record))
    {
        return;
    }
    if (ac->simState == kSimStateBuffer && lf_nearParkElevation(record.sample.altitude))
    {
        return;
    }
    if (!gf_checkRespawn(*ac, record))
    {
        return;
    }
    ac->lastDataTime = record.dataTime;
    decodeExisting(*ac, gf_sampleOf(record));
}

} // namespace

void gf_takeReceivedAc(const TrafficRecord& record)
{
    try
    {
        lf_takeRecord(record);
    }
    catch (const UserErrorException&)
    {
        throw;
    }
    catch (const std::exception& e)
    {
        // One bad record costs that record only.
        gf_logWarning(fmt::format("{}: {}", "gf_takeReceivedAc", e.what()));
    }
}

} // namespace ovr
