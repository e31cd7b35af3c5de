// Learning flight options at a stand: a new option for a registration seen in
// a half hour, more half hours for an option already known, and the
// callsigns seen with it. Options are only appended while the program runs,
// so an option's id (its position + 1) stays stable.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "airports/stand.h"
#include "core/flight_key.h"

namespace ovr
{

// Adds an option for the registration in the half hour of the packed weekday
// and slot, unless the same registration already has an option of that day
// holding exactly that half hour. Returns the new option's id and whether it
// was added ((0, false) otherwise). A key that did not come from the model
// database is replaced by the database's key of the registration when it has
// one. Throws std::out_of_range for a slot of 48 or more.
std::pair<std::uint32_t, bool> gf_learnStandOption(std::vector<StandOption>& options, FlightKey key,
                                                   std::uint64_t weekdayHour, std::string_view callsign,
                                                   std::string_view registration, bool cpl);

// Stores a callsign seen with an option: as its callsign while it has none,
// else as its second callsign unless it is one of the two already.
void lf_updateOptionStrings(std::vector<StandOption>& options, std::uint32_t optionId,
                            std::string_view callsign);

// Sets the slots (taken from the back of the vector, which ends empty) in the
// option with that id. False when there is no such option, or a slot of 48 or
// more stops the work (logged; slots set before it stay set).
bool updateOptions(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                   std::uint32_t optionId);

// The same across midnight, for a vector of gf_previousHalfHours (newest slot
// first): the slots up to 47 go to the previous day's option, the slots after
// midnight to today's option; the newest slot, which today's option already
// holds, is left in the vector.
bool updateOptionsWrapped(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                          std::uint32_t previousDayId, std::uint32_t todayId);

// The option with that id; none for id 0 or an unknown id.
StandOption* gf_findStandOption(std::vector<StandOption>& options, std::uint32_t optionId);

// Gives the options their ids 1, 2, 3, ... in order again, those the
// static-parking search retired for this pass included.
void gf_renumberOptions(std::vector<StandOption>& options);

} // namespace ovr
