// What the phases of the motion model share: the units and limits of a
// segment, the per-category tables, small geometry on samples and the marks
// every phase sets. Each phase lives in its own file:
//   motion_model.cpp   the segment step and the per-tick step (dispatch)
//   motion_ground.cpp  taxi, turn curves, pushback, pull-out, into a stand
//   motion_takeoff.cpp the take-off roll, rotation and climb-out
//   motion_air.cpp     air segments: timing, vertical steps, heading, bank
//   motion_landing.cpp the landing: its start, flare and touchdown
//   motion_config.cpp  lights, gear, flaps, throttle by height
//   motion_extend.cpp  made-up samples when a stream runs out
// Main-loop thread only.
#pragma once

#include <array>
#include <cstdint>

#include "core/geometry.h"
#include "core/loop_clock.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

inline constexpr std::int64_t kShortestSegment = 25; // ticks
inline constexpr double kTicksPerHour = 360000.0;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr std::uint32_t kRotorcraft = 5;
inline constexpr std::int64_t kWaitTicks = 300;
inline constexpr double kSamePositionDeg = 1e-8;

// Lights in their order: nav, beacon, landing, taxi, strobes, logo, cabin.
using LightSet = std::array<std::uint32_t, 7>;
inline constexpr LightSet kAllLights{1, 1, 1, 1, 1, 1, 1};
inline constexpr LightSet kTakeOffLights{1, 1, 1, 1, 1, 1, 0};
inline constexpr LightSet kTaxiLights{1, 1, 0, 1, 0, 1, 0};

// Flare stages: height over the static CG height, vertical step per tick,
// the vertical rate shown.
struct FlareStage
{
    double aboveCgFt;
    double step;
    double rate;
};
inline constexpr std::array<FlareStage, 4> kFlare{{{30.0, -0.1, -601.0},
                                                   {20.0, -0.075, -450.0},
                                                   {10.0, -0.05, -300.0},
                                                   {3.0, -0.025, -150.0}}};

std::size_t lf_cat(std::uint32_t category);
LatLon lf_at(const PositionSample& s);
LatLon lf_here(const LiveAc& ac);
bool lf_samePlace(const PositionSample& a, const PositionSample& b);
// A heading brought into 0..2pi.
double lf_wrap(double heading);
// The signed shorter turn from one heading to another, in -pi..pi.
double lf_turn(double from, double to);
std::int64_t lf_toTicks(double value);

void lf_decaySlack(LiveAc& ac);
void lf_wideSlack(LiveAc& ac, std::int32_t early);
void lf_setSituation(LiveAc& ac, std::uint32_t situation);
void lf_clearLandingMarks(LiveAc& ac);
void lf_resetCurve(LiveAc& ac);
bool lf_curveSet(const LiveAc& ac);

// Per-tick parts of the phases, called by the per-tick step.
void lf_curveTick(LiveAc& ac);
void lf_turnTowards(LiveAc& ac, double target);
void lf_takeOffTick(LiveAc& ac);
void lf_airHeadingTick(LiveAc& ac);
void lf_bankTick(LiveAc& ac);
// Outside rotation, flare and nose lowering the pitch eases towards the
// attitude of the rate flown (feet per minute).
void lf_pitchTick(LiveAc& ac, double fpm);
void lf_flare(LiveAc& ac);
void lf_flarePitchTick(LiveAc& ac);
void lf_airSegment(LiveAc& ac, std::int64_t ticks);

// Configuration (motion_config.cpp).
void lf_sendLights(LiveAc& ac, const LightSet& lights);
// The throttle levers and spoilers handle of an aircraft that lands or
// finishes its roll-out; light aircraft have neither.
void lf_sendTouchdownData(const LiveAc& ac, double spoilers, double throttle);
void lf_gear(LiveAc& ac, bool down);
// The landing (motion_landing.cpp).
void lf_landingBegins(LiveAc& ac);

} // namespace ovr
