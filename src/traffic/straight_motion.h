// The motion of a live aircraft between its samples, as straight segments:
// at each sample the aircraft sets out in a straight line for the next one
// and reaches it at its play time; climb and descent are limited per tick,
// the heading turns towards the segment's course at the aircraft's turn
// step. When the stream runs out it is extended by made-up samples along
// the current heading (eight 8-second samples in the air), then the aircraft
// goes. Turns as curves, landings, take-offs and the ground phases come
// with the full motion model.
#pragma once

#include "traffic/live_aircraft.h"

namespace ovr
{

// The segment step, when g_clock reaches the front sample's play time.
void nextPosMain(LiveAc& aircraft);
// The per-tick step.
void lf_curveStep(LiveAc& aircraft);
// The simulator reported the ground under a landing aircraft.
void gf_onTouchdown(LiveAc& aircraft);
// Made-up samples when fewer than two remain; false when none may be added.
bool lf_extendStream(LiveAc& aircraft);
void lf_extrapolate(LiveAc& aircraft, std::int32_t count);
// The made-up samples end: a received one was accepted.
void lf_endExtrapolation(LiveAc& aircraft);

} // namespace ovr
