// The records of the aircraft the program puts into the simulator and the
// small operations on one aircraft's simulator object: removal by state,
// configuration events (each only on change), the parked configuration and
// the erasing of a queued creation.
#include <algorithm>
#include <array>
#include <mutex>
#include <stdexcept>

#include <fmt/format.h>

#include "airports/stand_list.h"
#include "airports/stand_marks.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/random.h"
#include "liveries/model_lookups.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"

namespace ovr
{

LiveAircraftList g_liveAircraft;
std::deque<std::uint32_t> g_pendingInit;

namespace
{

// Per-category values, index = category 0..5.
struct CategoryValues
{
    double baseTurnStepDeg;
    double rotationPitchDeg;
    double climbOutPitchDeg;
    std::uint32_t flareTicks;
    std::uint32_t noseLoweringTicks;
    std::uint32_t rotationTicks;
    std::uint32_t pitchUpTicks;
    double maxAltitudeChange; // feet per tick, live only
    double standSpeed;        // knots, live only
};

constexpr std::array<CategoryValues, 6> kCategories{{
    {0.15, -9.0, -15.0, 250, 250, 100, 200, 0.5, 5.0},
    {0.10, -8.0, -18.0, 300, 300, 200, 250, 0.75, 4.5},
    {0.07, -6.0, -16.5, 400, 350, 200, 300, 0.6, 4.0},
    {0.05, -5.0, -12.5, 450, 450, 250, 400, 0.5, 3.0},
    {0.10, -6.0, -20.0, 150, 150, 100, 200, 1.0, 4.5},
    {0.20, -20.0, -30.0, 100, 100, 100, 100, 0.75, 5.0},
}};

const CategoryValues& lf_categoryValues(std::uint32_t category)
{
    if (category >= kCategories.size())
    {
        throw std::out_of_range("invalid unordered_map<K, T> key");
    }
    return kCategories[category];
}

constexpr std::uint32_t kRotorcraft = 5;
constexpr std::array<std::uint32_t, 4> kFlapsValues{0, 3072, 10240, 16383};
constexpr std::array<std::uint32_t, 5> kThrottleValues{0, 4914, 8191, 11468, 16383};

void lf_queueEvent(std::uint32_t object, std::uint32_t event, std::uint32_t data)
{
    const std::lock_guard lock(g_simConnectMutex);
    g_clientEvents.push_back({object, event, data});
}

} // namespace

std::string_view gf_simStateText(std::uint32_t state)
{
    static constexpr std::array<std::string_view, 5> texts{"buffer", "adding2sim", "active", "liveryrespawn",
                                                           "removingfromsim"};
    return state < texts.size() ? texts[state] : "?";
}

std::string_view gf_situationText(std::uint32_t situation)
{
    static constexpr std::array<std::string_view, 8> texts{"pushing_back", "pushed_back", "taxi",   "take_off",
                                                           "flying",       "parking",     "parked", "birth"};
    return situation < texts.size() ? texts[situation] : "?";
}

PositionSample gf_sampleOf(const TrafficRecord& record)
{
    PositionSample sample = record.sample;
    sample.rollKnown = record.bank ? 1 : 0;
    sample.roll = record.bank.value_or(0.0);
    sample.headingKnown = record.trueHeading ? 1 : 0;
    sample.trueHeading = record.trueHeading.value_or(0.0);
    sample.feedTime = record.dataTime;
    return sample;
}

AiAircraftRecord gf_makeAiRecord(const FlightBase& flight, std::uint32_t key)
{
    AiAircraftRecord r;
    static_cast<FlightBase&>(r) = flight;
    r.category = static_cast<std::uint32_t>(gf_categoryOfModel(flight.key.model));
    const CategoryValues& v = lf_categoryValues(r.category);
    r.radius = gf_wingspanOf(flight.key.model);
    r.baseTurnStep = v.baseTurnStepDeg * kDegToRad;
    r.turnStep = r.baseTurnStep;
    r.rotationPitch = gf_varyByPercent(v.rotationPitchDeg, 2.5) * kDegToRad;
    r.climbOutPitch = gf_varyByPercent(v.climbOutPitchDeg, 5.0) * kDegToRad;
    r.flareTicks = v.flareTicks;
    r.noseLoweringTicks = v.noseLoweringTicks;
    r.rotationTicks = v.rotationTicks;
    r.pitchUpTicks = v.pitchUpTicks;
    r.maxAltitudeChangePerTick = v.maxAltitudeChange;
    r.standSpeed = v.standSpeed;
    r.aiKey = key;
    return r;
}

LiveAc gf_makeLiveAc(const PositionSample& sample, const AiAircraftRecord& record, double dataTime)
{
    LiveAc ac;
    lf_copySimAc(ac, record);
    ac.samples.push_back(sample);
    ac.lastDataTime = dataTime;
    ac.intake.taken = sample;
    return ac;
}

StaticAc gf_makeStaticAc(const AiAircraftRecord& record, std::uint32_t standId, double latitude,
                         double longitude, double heading, std::uint8_t standFlag)
{
    StaticAc ac;
    lf_copySimAc(ac, record);
    ac.standId = standId;
    ac.latitude = latitude;
    ac.longitude = longitude;
    ac.heading = heading;
    ac.standFlagCopy = standFlag;
    return ac;
}

void lf_copySimAc(AiAircraftRecord& target, const AiAircraftRecord& source)
{
    target = source;
}

LiveAc* gf_findLiveAc(std::uint32_t key)
{
    return g_liveAircraft.find(key);
}

void gf_releaseStandOf(const LiveAc& aircraft)
{
    // The stand's flag belongs to the aircraft that parked there: one still
    // driving in, or one that has pulled out (another may stand there now),
    // leaves it alone.
    if (aircraft.situation == kSituationParked && aircraft.pullOutMark == 0)
    {
        gf_setStandOccupied(aircraft.standId, false);
    }
}

void removeAircraftFromSim(StaticAc& aircraft)
{
    if (aircraft.simState == kSimStateBuffer)
    {
        aircraft.erase = 1;
        return;
    }
    if (aircraft.removeWhenCreated != 0 || aircraft.createCancelled != 0)
    {
        return;
    }
    if (aircraft.simState == kSimStateAdding)
    {
        // A key still on the adding stack has no request yet: taking it off
        // cancels the creation as surely as erasing a queued request.
        const auto stacked = std::ranges::find(g_addingStack, aircraft.aiKey);
        const bool onStack = aircraft.aiKey > kLiveKeyAbove && stacked != g_addingStack.end();
        if (onStack)
        {
            g_addingStack.erase(stacked);
        }
        if (onStack || gf_eraseQueuedCreate(g_createQueueLive, aircraft) ||
            gf_eraseQueuedCreate(g_createQueueStatic, aircraft))
        {
            aircraft.createCancelled = 1;
        }
        else
        {
            aircraft.removeWhenCreated = 1;
        }
        return;
    }
    // One removal per object: a second would reach the simulator for an
    // object that is already on its way out.
    if (aircraft.simState == kSimStateRemoving)
    {
        return;
    }
    if (aircraft.aiKey > kLiveKeyAbove)
    {
        const LiveAc* live = gf_findLiveAc(aircraft.aiKey);
        if (live != nullptr && static_cast<const StaticAc*>(live) == &aircraft)
        {
            gf_releaseStandOf(*live);
        }
        if (aircraft.objectId != 0 && g_followedObjectId.load() == aircraft.objectId)
        {
            g_followedObjectId.store(0);
            gf_updateBlockedList();
        }
    }
    aircraft.simState = kSimStateRemoving;
    if (aircraft.objectId == 0)
    {
        gf_log(fmt::format("{} removing act {}, with objectid=0 ?", "removeAircraftFromSim", gf_flightText(aircraft)));
        return;
    }
    gf_queueObjectRemoval(aircraft.objectId);
}

void gf_setSpoilers(StaticAc& aircraft, bool on)
{
    if (aircraft.category != kRotorcraft)
    {
        lf_queueEvent(aircraft.objectId, kSpoilersSet, on ? 16383u : 0u);
    }
}

void gf_setFlaps(StaticAc& aircraft, std::uint32_t index)
{
    if (index > 4)
    {
        gf_log("gf_setFlaps: invalid flaps index");
        return;
    }
    // 4 is the unknown value a record starts with: it is stored, never sent.
    if (index != aircraft.lastFlapsIndex && aircraft.category != kRotorcraft && index < kFlapsValues.size())
    {
        lf_queueEvent(aircraft.objectId, kFlapsSet, kFlapsValues[index]);
    }
    aircraft.lastFlapsIndex = index;
}

void gf_setGear(StaticAc& aircraft, bool down)
{
    if (aircraft.category != kRotorcraft)
    {
        lf_queueEvent(aircraft.objectId, kGearSet, down ? 1u : 0u);
    }
}

void gf_setThrottle(StaticAc& aircraft, std::uint32_t index)
{
    if (index != aircraft.lastThrottleIndex && index < kThrottleValues.size())
    {
        lf_queueEvent(aircraft.objectId, kThrottleSet, kThrottleValues[index]);
    }
    aircraft.lastThrottleIndex = index;
}

void gf_setParkedConfig(StaticAc& aircraft)
{
    gf_setThrottle(aircraft, 0);
    gf_setFlaps(aircraft, 0);
    gf_engineShutdown(aircraft.objectId);
    const std::uint32_t cabin = aircraft.standFlagCopy == 0 && gf_randomIndex(10) < 9 ? 1 : 0;
    const std::array<std::uint32_t, 7> lights{NAV_LIGHTS_WHILE_PARKED.current.load() ? 1u : 0u, 0, 0, 0, 0, 1,
                                              cabin};
    gf_setLights(aircraft.objectId, lights);
}

} // namespace ovr
