// Learning from the aircraft that stand on the park airport's stands: which
// registration stood where, on which weekday and in which half hours.
#pragma once

#include <cstdint>
#include <string_view>

#include "airports/stand.h"
#include "core/aircraft_records.h"

namespace ovr
{

// The last time an aircraft was seen on a stand, and the option that holds
// that sighting.
struct StandSighting
{
    std::uint32_t day = 0;
    std::uint32_t slot = 0;
    std::uint32_t optionId = 0;
};

// Extends the option of the last sighting to now when the gap since then is
// short enough for the aircraft to have stood there all the time (6 half
// hours, 8 for a heavy, 12 for a cargo flight); across midnight the half
// hours after it go to a new option for today. The sighting then becomes
// now (with the new option's id). False when the gap is too long or no
// option could be made; true with nothing changed for option id 0 or a
// sighting at the same half hour.
bool gf_extendStandOption(std::uint64_t weekdayHour, Stand& stand, StandSighting& last,
                          const AiAircraftRecord& aircraft, std::string_view registration, bool cpl);

// Learns that a live aircraft stands on the stand in the current half hour
// (`g_weekdayHour`). The model database must know its registration; its key
// is then taken from there. Modes 2 and 3 mark what they learn with cpl.
void lf_addRealStandOption(std::int32_t standId, AiAircraftRecord& aircraft, std::int32_t mode);

} // namespace ovr
