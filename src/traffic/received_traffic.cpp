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
#include "traffic/record_checks.h"
#include "traffic/respawns.h"

namespace ovr
{

namespace
{

constexpr double kLowAltitudeFt = 10000.0;
constexpr double kNearParkElevationFt = 108.0;
constexpr double kNoParkElevationFt = -1000.0;

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

// Too soon, a jump of speed or of place: the judgement keeps what it
// refused, so that the aircraft is never locked out by one bad record.
bool lf_tooSoon(LiveAc& ac, const TrafficRecord& record)
{
    return !gf_recordFits(ac, record);
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
    if (!gf_categoryAdmitted(gf_categoryOfModel(key.model)))
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

bool gf_categoryAdmitted(int category)
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

} // namespace ovr
