// The steps of the parking adjustment that tests reach one by one.
#pragma once

#include <cstdint>

#include "core/aircraft_records.h"
#include "traffic/parking_adjust.h"

namespace ovr::detail
{

// The static aircraft as a kept position at `now`.
ParkPosition keptPosition(const StaticAc& aircraft, std::uint64_t now);

// A static aircraft placed from learned options whose stand a later
// candidate wants goes; otherwise the candidate is dropped.
void checkKeptStatics(std::uint64_t now);

// Every remaining static aircraft placed from learned options is kept, or
// listed for removal when a live aircraft flies under its name, a better
// candidate wants its stand or its option no longer fits the hour; the
// kept list is then sorted and each position's replace flag set.
void compareKept(std::uint64_t now);

// Kept positions whose option ends before the next half hour are placed
// anew from a candidate, their aircraft listed for removal.
void replaceEnding();

// Brings kept positions, parked live aircraft and candidates down to the
// limit: candidates go first, then kept positions (their aircraft listed for
// removal), then parked live aircraft. Each step takes one entry off its list
// and lowers the surplus by one; the trimming ends when all three are empty.
// Below a limit of 1 no live aircraft is removed.
void trimSurplus(std::int64_t limit);

} // namespace ovr::detail
