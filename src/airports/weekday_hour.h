// The packed weekday-and-slot value with which the main loop tells the time of
// the week: weekday 1..7 (Sunday 7) in the low 32 bits, the half-hour slot
// 0..47 of the day in the high 32 bits. Stand options, static aircraft and the
// stand searches all work in this unit.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

// The current weekday and half-hour slot of UTC (weekday 0xFFFFFFFF when the
// time cannot be converted), kept current by the main loop.
extern std::atomic<std::uint64_t> g_weekdayHour;

inline constexpr std::uint32_t kSlotsPerDay = 48;
inline constexpr std::uint32_t kSlotsPerWeek = 7 * kSlotsPerDay;

constexpr std::uint64_t gf_packWeekdayHour(std::uint32_t weekday, std::uint32_t slot)
{
    return (static_cast<std::uint64_t>(slot) << 32) | weekday;
}

constexpr std::uint32_t gf_weekdayOf(std::uint64_t weekdayHour)
{
    return static_cast<std::uint32_t>(weekdayHour & 0xFFFFFFFFu);
}

constexpr std::uint32_t gf_slotOf(std::uint64_t weekdayHour)
{
    return static_cast<std::uint32_t>(weekdayHour >> 32);
}

// The weekday before (Monday 1 follows Sunday 7) and after.
constexpr std::uint32_t gf_previousWeekday(std::uint32_t weekday)
{
    return weekday <= 1 ? 7 : weekday - 1;
}
constexpr std::uint32_t gf_nextWeekday(std::uint32_t weekday)
{
    return weekday >= 7 ? 1 : weekday + 1;
}

// Half hours from (fromDay, fromSlot) to (toDay, toSlot) forward in the week,
// 0..335: a time later in the day before the week wraps counts across the
// week's end.
constexpr std::int64_t gf_halfHoursBetween(std::uint32_t fromDay, std::uint32_t fromSlot, std::uint32_t toDay,
                                           std::uint32_t toSlot)
{
    std::int64_t gap = (static_cast<std::int64_t>(toDay) - fromDay) * kSlotsPerDay - fromSlot + toSlot;
    if (gap < 0)
        gap += kSlotsPerWeek;
    return gap;
}

} // namespace ovr
