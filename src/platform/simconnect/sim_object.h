// One aircraft in the stand-in simulator as tests observe it.
#pragma once

#include "platform/win/win_types.h"

#include <array>
#include <cstdint>
#include <string>

namespace ovr::sim
{

// LIGHT STATES bits of the simulator.
enum LightBit : std::uint32_t
{
    kLightNav = 0x0001,
    kLightBeacon = 0x0002,
    kLightLanding = 0x0004,
    kLightTaxi = 0x0008,
    kLightStrobe = 0x0010,
    kLightPanel = 0x0020,
    kLightRecognition = 0x0040,
    kLightWing = 0x0080,
    kLightLogo = 0x0100,
    kLightCabin = 0x0200,
    kLightAll = 0x03FF,
};

struct ObjectState
{
    DWORD id = 0;
    bool user = false;
    std::string owner; // name of the client that created it; empty for the user's and foreign aircraft
    std::string title;
    std::string atcModel;
    std::string atcId;

    double latDeg = 0.0;
    double lonDeg = 0.0;
    double altFt = 0.0;
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double headingDeg = 0.0;
    double groundSpeedKt = 0.0;
    double airspeedKt = 0.0;
    double verticalSpeedFps = 0.0;
    bool onGround = true;

    std::uint32_t lights = 0;
    bool enginesRunning = false;
    bool gearDown = true;
    double flapsPercent = 0.0;
    double spoilersPercent = 0.0;
    std::array<double, 2> throttlePercent{0.0, 0.0};
    bool frozenLatLon = false;
    bool frozenAltitude = false;
    bool frozenAttitude = false;
    bool aiReleased = false;
    std::string flightPlan;

    double staticCgFt = 0.0;
    double staticPitchDeg = 0.0;
};

} // namespace ovr::sim
