#include "airports/half_hours.h"

#include "airports/weekday_hour.h"
#include "core/log.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <stdexcept>

namespace ovr
{

namespace
{

constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

std::string_view lf_trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

// One slot number of a slot text; characters after the number are ignored,
// so "12x" reads as 12.
std::optional<std::uint32_t> lf_parseHour(std::string_view piece, std::string_view wholeText)
{
    const std::string_view trimmed = lf_trim(piece);
    int value = -1;
    const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (error == std::errc{} && end != trimmed.data() && value >= 0 && value < static_cast<int>(kSlotsPerDay))
        return static_cast<std::uint32_t>(value);
    gf_logWarning(fmt::format("{} invalid hour '{}' in {}", "operator ()", trimmed, wholeText));
    return std::nullopt;
}

HalfHourSet lf_rangeToBitset(std::string_view text)
{
    std::uint32_t values[2] = {0, 0};
    int count = 0;
    bool bad = false;
    std::size_t start = 0;
    while (true)
    {
        if (count == 2)
        {
            gf_logWarning(fmt::format("{} more than one colon char in: {}", "gf_hours2bitset", text));
            return 0;
        }
        const std::size_t colon = text.find(':', start);
        const std::string_view piece =
            text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (const auto hour = lf_parseHour(piece, text))
            values[count++] = *hour;
        else
            bad = true;
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (bad)
        return 0;
    if (count == 1)
        return gf_slotBit(values[0]);
    if (count != 2)
    {
        gf_logWarning(fmt::format("{} invalid range format in {}", "gf_hours2bitset", text));
        return 0;
    }
    if (values[0] > values[1])
    {
        gf_logWarning(fmt::format("{} descending range not allowed ({}:{} in {})", "gf_hours2bitset",
                                  values[0], values[1], text));
        return 0;
    }
    return gf_slotRange(values[0], values[1]);
}

HalfHourSet lf_listToBitset(std::string_view text)
{
    HalfHourSet set = 0;
    std::size_t start = 0;
    while (true)
    {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece =
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (const auto hour = lf_parseHour(piece, text))
            set |= gf_slotBit(*hour);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return set;
}

void lf_fillPreviousHalfHours(std::vector<std::int32_t>& slots, std::int32_t count, std::uint64_t weekdayHour)
{
    auto slot = static_cast<std::int32_t>(gf_slotOf(weekdayHour));
    for (std::int32_t i = 0; i < count; ++i)
    {
        slots.push_back(slot);
        slot = slot == 0 ? static_cast<std::int32_t>(kSlotsPerDay) - 1 : slot - 1;
    }
}

} // namespace

HalfHourSet gf_checkedSlotBit(std::int64_t slot)
{
    if (slot < 0 || slot >= kSlotsPerDay)
        throw std::out_of_range(fmt::format("half-hour slot {} is outside 0..47", slot));
    return gf_slotBit(static_cast<std::uint32_t>(slot));
}

HalfHourSet gf_slotRange(std::int64_t first, std::int64_t last)
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, kSlotsPerDay - 1);
    if (first > last)
        return 0;
    const HalfHourSet upToLast = (HalfHourSet{1} << (last + 1)) - 1;
    return upToLast & ~(gf_slotBit(static_cast<std::uint32_t>(first)) - 1);
}

HalfHourSet gf_hours2bitset(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text.find(':') != std::string_view::npos)
        return lf_rangeToBitset(text);
    return lf_listToBitset(text);
}

std::optional<std::string> gf_halfHoursRangeText(HalfHourSet set)
{
    if (set == 0)
        return std::nullopt;
    const int first = std::countr_zero(set);
    const int last = 63 - std::countl_zero(set);
    if (std::popcount(set) != last - first + 1)
        return std::nullopt;
    if (first == last)
        return fmt::format("{}", first);
    return fmt::format("{}:{}", first, last);
}

std::optional<std::string> gf_halfHoursListText(HalfHourSet set)
{
    if (set == 0)
        return std::nullopt;
    std::string text;
    for (HalfHourSet rest = set; rest != 0; rest &= rest - 1)
    {
        if (!text.empty())
            text += ',';
        text += fmt::format("{}", std::countr_zero(rest));
    }
    return text;
}

std::vector<std::int32_t> gf_previousHalfHours(std::uint64_t weekdayHour, std::int32_t count)
{
    std::vector<std::int32_t> slots;
    slots.reserve(kSlotsPerDay);
    lf_fillPreviousHalfHours(slots, count, weekdayHour);
    return slots;
}

} // namespace ovr
