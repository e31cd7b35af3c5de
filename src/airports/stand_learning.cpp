// Stand learning: while a live aircraft stands on a stand, the half hours it
// stands there are recorded in a stand option of its registration for today.
//
// 1. An airport file's option for this registration today that does not hold
//    the current half hour means the file knows better: nothing is learned.
// 2. The registration's learned option for today is extended when the gap
//    since its last half hour is short (the aircraft has stood there since);
//    a long gap means a new visit and a new option.
// 3. An option marked cpl that lacks the current half hour is not extended:
//    the sighting gets an option of its own.
#include "airports/stand_learning.h"

#include "airports/apf_updates.h"
#include "airports/stand_list.h"
#include "airports/stand_options.h"
#include "airports/weekday_hour.h"
#include "core/log.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"

#include <fmt/format.h>

#include <bit>
#include <stdexcept>

namespace ovr
{

namespace
{

std::int64_t lf_longestGap(const AiAircraftRecord& aircraft)
{
    if (aircraft.key.cargo != 0)
        return 12;
    return aircraft.category == kCategoryHeavy ? 8 : 6;
}

bool lf_sameSighting(const StandOption& option, std::uint32_t day, std::string_view registration)
{
    return option.id != 0 && option.day == day && option.registration == registration && option.real == 1;
}

} // namespace

bool gf_extendStandOption(std::uint64_t weekdayHour, Stand& stand, StandSighting& last,
                          const AiAircraftRecord& aircraft, std::string_view registration, bool cpl)
{
    const std::uint32_t day = gf_weekdayOf(weekdayHour);
    const std::uint32_t slot = gf_slotOf(weekdayHour);
    if (last.optionId == 0 || (last.day == day && last.slot == slot))
        return true;

    const std::int64_t gap = gf_halfHoursBetween(last.day, last.slot, day, slot);
    if (gap < 1 || gap >= lf_longestGap(aircraft))
        return false;
    std::vector<std::int32_t> slots = gf_previousHalfHours(weekdayHour, static_cast<std::int32_t>(gap));

    if (day == last.day)
    {
        if (updateOptions(stand.options, slots, last.optionId))
            lf_updateOptionStrings(stand.options, last.optionId, aircraft.callsign);
        last.day = day;
        last.slot = slot;
        return true;
    }

    const auto [todayId, added] =
        gf_learnStandOption(stand.options, aircraft.key, weekdayHour, aircraft.callsign, registration, cpl);
    if (!added)
        return false;
    updateOptionsWrapped(stand.options, slots, last.optionId, todayId);
    lf_updateOptionStrings(stand.options, last.optionId, aircraft.callsign);
    lf_updateOptionStrings(stand.options, todayId, aircraft.callsign);
    last = StandSighting{day, slot, todayId};
    return true;
}

void lf_addRealStandOption(std::int32_t standId, AiAircraftRecord& aircraft, std::int32_t mode)
{
    const std::string_view registration = gf_withoutGhostMark(aircraft.registration);
    if (registration.empty())
        return;
    const auto key = gf_cachedNameVariants(registration);
    if (!key)
        return;
    aircraft.key = *key;
    if (standId < 1)
        return;
    Stand* stand = gf_findStand(standId);
    if (!stand)
        return;

    const std::uint64_t now = g_weekdayHour.load();
    const std::uint32_t day = gf_weekdayOf(now);
    const std::uint32_t slot = gf_slotOf(now);
    try
    {
        const HalfHourSet slotBit = gf_checkedSlotBit(slot);
        for (const StandOption& option : stand->options)
            if (lf_sameSighting(option, day, registration) && option.fromFile == 1 &&
                (option.hours & slotBit) == 0)
                return;

        const bool cpl = mode == 2 || mode == 3;
        std::size_t learned = stand->options.size();
        for (std::size_t i = 0; i < stand->options.size(); ++i)
            if (lf_sameSighting(stand->options[i], day, registration) && stand->options[i].fromFile == 0)
            {
                learned = i;
                break;
            }

        auto learnNew = [&]
        { gf_learnStandOption(stand->options, aircraft.key, now, aircraft.callsign, registration, cpl); };
        if (learned == stand->options.size())
        {
            learnNew();
            return;
        }
        StandOption& option = stand->options[learned];
        if (option.cpl != 0 && (option.hours & slotBit) == 0)
        {
            learnNew();
            return;
        }
        if ((option.hours & slotBit) != 0)
        {
            if (cpl)
                option.cpl = 1;
            return;
        }
        if (option.hours == 0)
            return;

        StandSighting last{option.day, static_cast<std::uint32_t>(63 - std::countl_zero(option.hours)),
                           option.id};
        if (gf_extendStandOption(now, *stand, last, aircraft, registration, cpl))
            gf_countApfUpdate();
        else
            learnNew();
        // The learning above may have moved the options.
        if (cpl)
            stand->options[learned].cpl = 1;
    }
    catch (const std::out_of_range& e)
    {
        gf_logWarning(fmt::format("{}: hh_now: {}, {}", "lf_addRealStandOption", slot, e.what()));
    }
}

} // namespace ovr
