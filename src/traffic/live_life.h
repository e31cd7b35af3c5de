// The life of a live aircraft: the spawn decision while it waits in buffer,
// its livery and first placement, its creation by the simulator, its step on
// every pass and the intake of its further samples.
#pragma once

#include <cstdint>

#include "service/traffic_record.h"
#include "simlink/object_events.h"
#include "traffic/live_aircraft.h"

namespace ovr
{

// Counts the live aircraft that hold a place against MAX_LIVE_SEL (active
// and adding2sim); once per pass before the aircraft are stepped.
void gf_countLiveSlots();

// The per-pass step; true when the aircraft is to be dropped from the list.
bool updateLiveAc(LiveAc& aircraft);
void lf_spawnDecision(LiveAc& aircraft);
bool lf_holdNearUser(LiveAc& aircraft);
// The aircraft is ahead of the user within the mode's box (0 on the ground,
// 1 in the air); then it is removed.
bool lf_aheadOfUser(LiveAc& aircraft, int mode);
void spawnLiveAc(LiveAc& aircraft);
void lf_initialAttitude(LiveAc& aircraft);
// The simulator created the object: false when the id cannot be ours.
bool gf_onLiveAcCreated(LiveAc& aircraft, const SimEvent& event);
void decodeExisting(LiveAc& aircraft, PositionSample sample);
bool lf_checkGroundSample(LiveAc& aircraft, PositionSample& sample);
// A parked or parking aircraft starts to move off its stand with the sample.
void lf_pullOut(LiveAc& aircraft, PositionSample& sample);

} // namespace ovr
