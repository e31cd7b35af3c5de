// The 48 half-hour slots of a day (slot 0 is 00:00-00:29, slot 47 is
// 23:30-23:59) as a set of 48 bits, and the two text forms in which airport
// parking files carry such a set: a range "first:last" and a list "a,b,c".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr
{

// Bit n is slot n; bits 48..63 are always 0.
using HalfHourSet = std::uint64_t;

inline constexpr HalfHourSet gf_slotBit(std::uint32_t slot)
{
    return HalfHourSet{1} << slot;
}

// The bit of a slot that comes from outside (a clock, a caller's vector);
// throws std::out_of_range for a slot outside 0..47.
HalfHourSet gf_checkedSlotBit(std::int64_t slot);

// The slots first..last, both included, cut to 0..47; empty when first > last.
HalfHourSet gf_slotRange(std::int64_t first, std::int64_t last);

// A set from its range or list text. Bad texts never throw: they give the
// empty set, or lose the bad piece of a list, with a warning in the log.
HalfHourSet gf_hours2bitset(std::string_view text);

// "first:last" (or the single slot) when the set is one unbroken run; no value
// for an empty set or a set with gaps.
std::optional<std::string> gf_halfHoursRangeText(HalfHourSet set);

// The set slots in ascending order joined by ","; no value for an empty set.
std::optional<std::string> gf_halfHoursListText(HalfHourSet set);

// The slot of the packed weekday-and-slot value and the count - 1 slots
// before it, newest first; the slot before 0 is 47 of the day before.
std::vector<std::int32_t> gf_previousHalfHours(std::uint64_t weekdayHour, std::int32_t count);

} // namespace ovr
