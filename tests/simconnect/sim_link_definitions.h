// The data definitions 401 to 409 registered as the simulator link
// registers them, field by field in this order, and its client events as it
// maps and groups them.
#pragma once

#include "platform/simconnect/simconnect.h"

#include <array>

namespace ovr::sim::test
{

struct FieldSpec
{
    DWORD define;
    const char* name;
    const char* units;
    SIMCONNECT_DATATYPE type;
};

inline constexpr std::array kLinkFields{
    FieldSpec{407, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV},
    FieldSpec{408, "ATC MODEL", nullptr, SIMCONNECT_DATATYPE_STRING32},
    FieldSpec{409, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{402, "Plane Latitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Plane Longitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Plane Pitch degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Plane Bank degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Plane Heading degrees true", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Plane Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Vertical Speed", "feet per second", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{402, "Airspeed True", "knots", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Latitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Longitude", "degree", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Pitch degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Bank degrees", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Heading degrees true", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Plane Alt Above Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "Ground Velocity", "knots", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{403, "ZULU TIME", "Seconds", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{403, "ZULU DAY OF YEAR", "Number", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{403, "ZULU YEAR", "Number", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{403, "LIGHT STATES", "Mask", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{403, "STANDARD ATM TEMPERATURE", "Rankine", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{405, "Static CG to Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{405, "Static Pitch", "radians", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{404, "Plane Alt Above Ground", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{404, "Ground Altitude", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{404, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64},
    FieldSpec{404, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32},
    FieldSpec{401, "SPOILERS HANDLE POSITION", "percent", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{401, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", SIMCONNECT_DATATYPE_FLOAT64},
    FieldSpec{401, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", SIMCONNECT_DATATYPE_FLOAT64},
};

struct ClientEventSpec
{
    DWORD id;
    const char* name;
};

// The client events in the order they are mapped.
inline constexpr std::array kLinkClientEvents{ClientEventSpec{219, "GEAR_SET"},
                                              ClientEventSpec{220, "ENGINE_AUTO_START"},
                                              ClientEventSpec{221, "ENGINE_AUTO_SHUTDOWN"},
                                              ClientEventSpec{222, "THROTTLE_SET"},
                                              ClientEventSpec{217, "FLAPS_SET"},
                                              ClientEventSpec{218, "SPOILERS_SET"},
                                              ClientEventSpec{207, "NAV_LIGHTS_SET"},
                                              ClientEventSpec{206, "BEACON_LIGHTS_SET"},
                                              ClientEventSpec{210, "LANDING_LIGHTS_SET"},
                                              ClientEventSpec{208, "TAXI_LIGHTS_SET"},
                                              ClientEventSpec{209, "STROBES_SET"},
                                              ClientEventSpec{212, "LOGO_LIGHTS_SET"},
                                              ClientEventSpec{211, "CABIN_LIGHTS_SET"},
                                              ClientEventSpec{213, "ALL_LIGHTS_TOGGLE"},
                                              ClientEventSpec{214, "FREEZE_LATITUDE_LONGITUDE_SET"},
                                              ClientEventSpec{215, "FREEZE_ALTITUDE_SET"},
                                              ClientEventSpec{216, "FREEZE_ATTITUDE_SET"}};

// The client events added to the notification group, in this order
// (ENGINE_AUTO_START is mapped but not grouped).
inline constexpr std::array<DWORD, 16> kLinkGroupedEvents{207, 206, 210, 208, 209, 212, 211, 213,
                                                          217, 218, 219, 221, 222, 214, 215, 216};

inline void registerLinkDefinitions(HANDLE h)
{
    for (const FieldSpec& f : kLinkFields)
    {
        SimConnect_AddToDataDefinition(h, f.define, f.name, f.units, f.type, 0.0F, SIMCONNECT_UNUSED);
    }
}

} // namespace ovr::sim::test
