#include "platform/simconnect/sim_events.h"

#include "platform/simconnect/text_case.h"

#include <array>

namespace ovr::sim::detail
{
namespace
{

// Axis-style events carry 0..16383 for the whole travel.
constexpr double kAxisFull = 16383.0;

double axisPercent(DWORD data)
{
    return static_cast<double>(data) / kAxisFull * 100.0;
}

void setLight(ObjectState& o, std::uint32_t bit, DWORD on)
{
    o.lights = on != 0 ? (o.lights | bit) : (o.lights & ~bit);
}

const std::array kEvents{
    SimEvent{"GEAR_SET", [](ObjectState& o, DWORD d) { o.gearDown = d != 0; }},
    SimEvent{"ENGINE_AUTO_START", [](ObjectState& o, DWORD) { o.enginesRunning = true; }},
    SimEvent{"ENGINE_AUTO_SHUTDOWN", [](ObjectState& o, DWORD) { o.enginesRunning = false; }},
    SimEvent{"THROTTLE_SET", [](ObjectState& o, DWORD d) { o.throttlePercent.fill(axisPercent(d)); }},
    SimEvent{"FLAPS_SET", [](ObjectState& o, DWORD d) { o.flapsPercent = axisPercent(d); }},
    SimEvent{"SPOILERS_SET", [](ObjectState& o, DWORD d) { o.spoilersPercent = axisPercent(d); }},
    SimEvent{"NAV_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightNav, d); }},
    SimEvent{"BEACON_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightBeacon, d); }},
    SimEvent{"LANDING_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightLanding, d); }},
    SimEvent{"TAXI_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightTaxi, d); }},
    SimEvent{"STROBES_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightStrobe, d); }},
    SimEvent{"LOGO_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightLogo, d); }},
    SimEvent{"CABIN_LIGHTS_SET", [](ObjectState& o, DWORD d) { setLight(o, kLightCabin, d); }},
    SimEvent{"ALL_LIGHTS_TOGGLE", [](ObjectState& o, DWORD) { o.lights ^= kLightAll; }},
    SimEvent{"FREEZE_LATITUDE_LONGITUDE_SET", [](ObjectState& o, DWORD d) { o.frozenLatLon = d != 0; }},
    SimEvent{"FREEZE_ALTITUDE_SET", [](ObjectState& o, DWORD d) { o.frozenAltitude = d != 0; }},
    SimEvent{"FREEZE_ATTITUDE_SET", [](ObjectState& o, DWORD d) { o.frozenAttitude = d != 0; }},
};

} // namespace

const SimEvent* findSimEvent(std::string_view name)
{
    for (const SimEvent& e : kEvents)
    {
        if (equalsNoCase(name, e.name))
        {
            return &e;
        }
    }
    return nullptr;
}

} // namespace ovr::sim::detail
