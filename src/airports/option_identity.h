// A new aircraft whose callsign a learned stand option knows takes over that
// option's callsigns, so that its static and live appearances agree.
#pragma once

#include <cstdint>

#include "core/aircraft_records.h"

namespace ovr
{

// Looks, over all stands of the park airport, for an option of today with the
// aircraft's airline, a second callsign, and half hours within 5 hours (7
// for a heavy) of now, whose callsigns include the aircraft's callsign (with
// or without one trailing "_"); the first one found gives its two callsigns
// to the aircraft's second callsign and text.
void gf_takeIdentityFromOption(std::uint64_t weekdayHour, AiAircraftRecord& aircraft);

} // namespace ovr
