#include "airports/option_identity.h"

#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "liveries/model_lookups.h"

#include <string>

namespace ovr
{

void gf_takeIdentityFromOption(std::uint64_t weekdayHour, AiAircraftRecord& aircraft)
{
    const std::string_view callsign = aircraft.callsign;
    if (callsign.empty())
        return;
    const std::string_view trimmed = gf_withoutGhostMark(callsign);

    const std::uint32_t day = gf_weekdayOf(weekdayHour);
    const auto slot = static_cast<std::int64_t>(gf_slotOf(weekdayHour));
    const std::int64_t window = aircraft.category == kCategoryHeavy ? 14 : 10;
    const HalfHourSet mask = gf_slotRange(slot - window, slot + window);

    auto names = [&](const std::string& text)
    { return !text.empty() && (text == callsign || text == trimmed); };
    for (const Stand& stand : g_stands)
        for (const StandOption& option : stand.options)
        {
            if (option.id == 0 || option.day != day || option.key.airline != aircraft.key.airline ||
                option.callsign2.empty() || (option.hours & mask) == 0)
                continue;
            if (names(option.callsign) || names(option.callsign2))
            {
                aircraft.secondCallsign = option.callsign;
                aircraft.text = option.callsign2;
                return;
            }
        }
}

} // namespace ovr
