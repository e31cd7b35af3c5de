// The two rules of the stand search that tests hold a plain search to, so
// that such a search differs from ours only in which stands it looks at.
#pragma once

#include "airports/stand.h"
#include "core/aircraft_records.h"

namespace ovr::detail
{

// A typed stand whose type accepts the aircraft's category, or an untyped
// stand at most 1.8 m smaller than the aircraft.
bool standSuits(const Stand& stand, const AiAircraftRecord& aircraft);
// A real option of the stand has the aircraft's callsign, or its airline and
// type.
bool seenAtStand(const Stand& stand, const AiAircraftRecord& aircraft);

} // namespace ovr::detail
