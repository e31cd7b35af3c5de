// Registration of this program's identifiers on a new connection: system
// events, data definitions (the order of the fields is the layout of each
// data block), client events and their notification group.
#include <array>
#include <cstdint>

#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"

namespace ovr
{

namespace
{

struct SystemEvent
{
    std::uint32_t id;
    const char* name;
};

// "Frame" last: its events start flowing only once everything else is set.
constexpr std::array kSystemEvents{
    SystemEvent{kEventSim, "Sim"},
    SystemEvent{kEventObjectAdded, "ObjectAdded"},
    SystemEvent{kEventObjectRemoved, "ObjectRemoved"},
    SystemEvent{kEventFlightLoaded, "FlightLoaded"},
    SystemEvent{kEventFrame, "Frame"},
};

struct DataField
{
    std::uint32_t definition;
    const char* variable;
    const char* units; // nullptr for none
    SIMCONNECT_DATATYPE type;
};

constexpr auto kF64 = SIMCONNECT_DATATYPE_FLOAT64;
constexpr auto kI64 = SIMCONNECT_DATATYPE_INT64;

constexpr std::array kDataFields{
    DataField{kDefUserTitle, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV},
    DataField{kDefUserModel, "ATC MODEL", nullptr, SIMCONNECT_DATATYPE_STRING32},
    DataField{kDefUserOnGround, "SIM ON GROUND", "Bool", kI64},
    DataField{kDefPosition, "Plane Latitude", "degree", kF64},
    DataField{kDefPosition, "Plane Longitude", "degree", kF64},
    DataField{kDefPosition, "Plane Pitch degrees", "radians", kF64},
    DataField{kDefPosition, "Plane Bank degrees", "radians", kF64},
    DataField{kDefPosition, "Plane Heading degrees true", "radians", kF64},
    DataField{kDefPosition, "Plane Altitude", "feet", kF64},
    DataField{kDefPosition, "Vertical Speed", "feet per second", kF64},
    DataField{kDefPosition, "Airspeed True", "knots", kF64},
    DataField{kDefUserState, "Plane Latitude", "degree", kF64},
    DataField{kDefUserState, "Plane Longitude", "degree", kF64},
    DataField{kDefUserState, "Plane Pitch degrees", "radians", kF64},
    DataField{kDefUserState, "Plane Bank degrees", "radians", kF64},
    DataField{kDefUserState, "Plane Heading degrees true", "radians", kF64},
    DataField{kDefUserState, "Plane Altitude", "feet", kF64},
    DataField{kDefUserState, "Plane Alt Above Ground", "feet", kF64},
    DataField{kDefUserState, "Ground Velocity", "knots", kF64},
    DataField{kDefUserState, "ZULU TIME", "Seconds", kI64},
    DataField{kDefUserState, "ZULU DAY OF YEAR", "Number", kI64},
    DataField{kDefUserState, "ZULU YEAR", "Number", kI64},
    DataField{kDefUserState, "LIGHT STATES", "Mask", kI64},
    DataField{kDefUserState, "STANDARD ATM TEMPERATURE", "Rankine", kF64},
    DataField{kDefStaticValues, "Static CG to Ground", "feet", kF64},
    DataField{kDefStaticValues, "Static Pitch", "radians", kF64},
    DataField{kDefNearby, "Plane Alt Above Ground", "feet", kF64},
    DataField{kDefNearby, "Ground Altitude", "feet", kF64},
    DataField{kDefNearby, "SIM ON GROUND", "Bool", kI64},
    DataField{kDefNearby, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32},
    DataField{kDefTouchdown, "SPOILERS HANDLE POSITION", "percent", kF64},
    DataField{kDefTouchdown, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", kF64},
    DataField{kDefTouchdown, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", kF64},
};

struct ClientEvent
{
    std::uint32_t id;
    const char* name;
};

constexpr std::array kClientEvents{
    ClientEvent{kGearSet, "GEAR_SET"},
    ClientEvent{kEngineAutoStart, "ENGINE_AUTO_START"},
    ClientEvent{kEngineAutoShutdown, "ENGINE_AUTO_SHUTDOWN"},
    ClientEvent{kThrottleSet, "THROTTLE_SET"},
    ClientEvent{kFlapsSet, "FLAPS_SET"},
    ClientEvent{kSpoilersSet, "SPOILERS_SET"},
    ClientEvent{kNavLightsSet, "NAV_LIGHTS_SET"},
    ClientEvent{kBeaconLightsSet, "BEACON_LIGHTS_SET"},
    ClientEvent{kLandingLightsSet, "LANDING_LIGHTS_SET"},
    ClientEvent{kTaxiLightsSet, "TAXI_LIGHTS_SET"},
    ClientEvent{kStrobesSet, "STROBES_SET"},
    ClientEvent{kLogoLightsSet, "LOGO_LIGHTS_SET"},
    ClientEvent{kCabinLightsSet, "CABIN_LIGHTS_SET"},
    ClientEvent{kAllLightsToggle, "ALL_LIGHTS_TOGGLE"},
    ClientEvent{kFreezeLatLonSet, "FREEZE_LATITUDE_LONGITUDE_SET"},
    ClientEvent{kFreezeAltitudeSet, "FREEZE_ALTITUDE_SET"},
    ClientEvent{kFreezeAttitudeSet, "FREEZE_ATTITUDE_SET"},
};

// ENGINE_AUTO_START stays out of the group; it is still transmitted with it.
constexpr std::array kGroupEvents{
    kNavLightsSet, kBeaconLightsSet, kLandingLightsSet,  kTaxiLightsSet,
    kStrobesSet,   kLogoLightsSet,   kCabinLightsSet,    kAllLightsToggle,
    kFlapsSet,     kSpoilersSet,     kGearSet,           kEngineAutoShutdown,
    kThrottleSet,  kFreezeLatLonSet, kFreezeAltitudeSet, kFreezeAttitudeSet,
};

void lf_addToEventGroup(std::uint32_t event)
{
    SimConnect_AddClientEventToNotificationGroup(g_simConnect, kEventGroup, event, TRUE);
}

} // namespace

void lf_setupSimConnect()
{
    const HANDLE h = g_simConnect;
    for (const SystemEvent& e : kSystemEvents)
    {
        SimConnect_SubscribeToSystemEvent(h, e.id, e.name);
    }
    // "Sim" comes only with a change; a simulation that runs already when
    // we connect would otherwise never be seen running.
    SimConnect_RequestSystemState(h, kReqSimState, "Sim");
    for (const DataField& f : kDataFields)
    {
        SimConnect_AddToDataDefinition(h, f.definition, f.variable, f.units, f.type, 0.0F, SIMCONNECT_UNUSED);
    }
    for (const ClientEvent& e : kClientEvents)
    {
        SimConnect_MapClientEventToSimEvent(h, e.id, e.name);
    }
    for (const std::uint32_t event : kGroupEvents)
    {
        lf_addToEventGroup(event);
    }
    SimConnect_SetNotificationGroupPriority(h, kEventGroup, SIMCONNECT_GROUP_PRIORITY_HIGHEST);
}

} // namespace ovr
