// The stand for an aircraft that parks at the park airport.
#pragma once

#include "airports/stand.h"
#include "core/aircraft_records.h"
#include "core/geometry.h"

namespace ovr
{

// The nearest stand within maxNm that suits the aircraft (its type accepts
// the aircraft's category; a stand without type must be at most 1.8 m
// smaller than the aircraft), or, when none suits, a stand within 20 m that
// is too small (it is then widened to the aircraft). With the learned
// fallback, a stand within 85 m that holds a real option of this aircraft
// (its callsign, or its airline and type) serves when nothing nearer does.
// Helipads are only for rotorcraft and rotorcraft only for helipads; the
// user's reserved stand is never given. None when nothing fits.
Stand* gf_findStandNear(LatLon position, const AiAircraftRecord& aircraft, double maxNm,
                        bool learnedFallback);

} // namespace ovr
