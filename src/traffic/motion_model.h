// The motion and configuration of a live aircraft between its samples: a
// segment step when the aircraft reaches its front sample (`nextPosMain`)
// and a per-tick step on every pass (`lf_curveStep`). Turns on the ground
// follow quadratic curves; in the air the heading turns towards the
// segment's course with a matching bank. Lights, gear, flaps, spoilers and
// throttle follow the phase: the landing begins within 10 NM of the park
// airport, flares in four stages and rolls out after the simulator reports
// the ground; the take-off rolls, rotates and climbs out. On the ground the
// model pushes back, pulls out and drives into stands. A stream that runs
// out is extended by made-up samples. Main-loop thread only.
#pragma once

#include <cstdint>

#include "airports/stand.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// Per-category tables, categories 0..5.
double gf_rotationSpeedKt(std::uint32_t category);
double gf_maxBankDeg(std::uint32_t category);

// The segment step, when g_clock reaches the front sample's play time.
void nextPosMain(LiveAc& aircraft);
void lf_nextSegment(LiveAc& aircraft);
// The per-tick step.
void lf_curveStep(LiveAc& aircraft);
// The simulator reported the ground under a landing aircraft.
void gf_onTouchdown(LiveAc& aircraft);
// A received sample of a landing aircraft until its roll-out ends: samples
// that would turn it back are refused or cut the stream (false: refused).
bool checkNewPosDuringLanding(LiveAc& aircraft, PositionSample& sample);
// Made-up samples when fewer than two remain; false when none may be added.
bool lf_extendStream(LiveAc& aircraft);
void lf_extrapolate(LiveAc& aircraft, std::int32_t count);
// The made-up samples end: a received one was accepted.
void lf_endExtrapolation(LiveAc& aircraft);

void lf_airConfig(LiveAc& aircraft);
// The configuration an aircraft created in the air wants, sent at its creation.
void gf_configureAirSpawn(LiveAc& aircraft);
void lf_lowAirConfig(LiveAc& aircraft);
void nextPosGround(LiveAc& aircraft);
void lf_groundSegment(LiveAc& aircraft);
void lf_groundTiming(LiveAc& aircraft);
void lf_airStep(LiveAc& aircraft);
void lf_setupCurve(LiveAc& aircraft);
// A turn curve from where the aircraft is, through a control point, to an end.
void lf_curveVia(LiveAc& aircraft, LatLon control, LatLon end);
void lf_speedCheck(LiveAc& aircraft);
void lf_speedChange(LiveAc& aircraft);
void lf_pushBack(LiveAc& aircraft);
void lf_pullOutStep(LiveAc& aircraft);

// The take-off roll begins.
void lf_markTakeOff(LiveAc& aircraft);
// The rotation.
void lf_startTakeOff(LiveAc& aircraft);
void lf_climbStep(LiveAc& aircraft);
// The samples ahead fly well above the ground (feet) and the newest is in
// the air: a report of the ground is not a landing.
bool gf_climbsAway(const LiveAc& aircraft, double groundFt);
void lf_retimeNext(LiveAc& aircraft, std::int64_t duration);
void lf_climbTo(LiveAc& aircraft, std::size_t k);

bool lf_atRotationSpeed(const LiveAc& aircraft, std::uint32_t category);
double lf_segmentSpeed(const LiveAc& aircraft);
// The speed of a segment in cruise or rolling on the ground: the aircraft's
// own, eased towards the play moments.
double lf_easedSpeed(const LiveAc& aircraft);
// `speed` for the segment over `nm` to the next sample, changed by no more
// than an aircraft can from the segment flown just before.
double lf_steadySpeed(const LiveAc& aircraft, double speed, double nm);
// Keeps the speed the next sample's play moment leaves for the segment over
// `nm`, for the segment after it.
void lf_noteSegmentSpeed(LiveAc& aircraft, double nm);
double lf_descentRate(const LiveAc& aircraft);
// The climb (+) or descent (-) the newest sample shows, feet per minute: its
// reported rate, or what its altitude and time imply when it has none.
double gf_climbRateFpm(const LiveAc& aircraft);
// The pitch (radians, nose up negative) of an aircraft climbing or
// descending at that rate (feet per minute).
double gf_pitchForRate(double fpm);
// The bank (radians, positive to the right) that turns by the heading change
// (radians) over the ticks at the aircraft's speed, within its maximum bank.
double lf_bankFor(const LiveAc& aircraft, double headingChange, double ticks);

// The path into a stand, and the end of a taxi into it.
void drive2Stand(LiveAc& aircraft, const Stand& stand);
void lf_arriveAtStand(LiveAc& aircraft);
void lf_cargoStand(LiveAc& aircraft);

} // namespace ovr
