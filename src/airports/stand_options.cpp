#include "airports/stand_options.h"

#include "airports/apf_updates.h"
#include "airports/weekday_hour.h"
#include "core/log.h"
#include "liveries/registration_lookup.h"

#include <fmt/format.h>

#include <stdexcept>

namespace ovr
{

namespace
{

// Sets slots from the back of the vector in the option until `stop` says the
// slot just set was the last one for it.
template <class Stop>
void lf_setSlotsFromBack(StandOption& option, std::vector<std::int32_t>& slots, Stop stop)
{
    while (!slots.empty())
    {
        const std::int32_t slot = slots.back();
        option.hours |= gf_checkedSlotBit(slot);
        slots.pop_back();
        if (stop(slot))
            break;
    }
}

} // namespace

StandOption* gf_findStandOption(std::vector<StandOption>& options, std::uint32_t optionId)
{
    if (optionId == 0)
        return nullptr;
    // Ids are positions + 1 unless the static-parking search retired one.
    if (optionId <= options.size() && options[optionId - 1].id == optionId)
        return &options[optionId - 1];
    for (StandOption& option : options)
        if (option.id == optionId)
            return &option;
    return nullptr;
}

void gf_renumberOptions(std::vector<StandOption>& options)
{
    std::uint32_t id = 0;
    for (StandOption& option : options)
        option.id = ++id;
}

std::pair<std::uint32_t, bool> gf_learnStandOption(std::vector<StandOption>& options, FlightKey key,
                                                   std::uint64_t weekdayHour, std::string_view callsign,
                                                   std::string_view registration, bool cpl)
{
    if (registration.empty())
        return {0, false};
    callsign = gf_withoutGhostMark(callsign);
    const HalfHourSet hours = gf_checkedSlotBit(gf_slotOf(weekdayHour));
    const std::uint32_t day = gf_weekdayOf(weekdayHour);

    if (key.mark == 0)
        if (const auto known = gf_cachedNameVariants(registration))
            key = *known;

    for (const StandOption& option : options)
        if (option.registration == registration && option.day == day && option.hours == hours)
            return {0, false};

    StandOption option;
    option.key = key;
    option.registration = std::string(registration);
    option.callsign = std::string(callsign);
    option.hours = hours;
    option.id = static_cast<std::uint32_t>(options.size() + 1);
    option.day = day;
    option.fromFile = 0;
    option.real = 1;
    option.cpl = cpl ? 1 : 0;
    options.push_back(std::move(option));
    gf_countApfUpdate();
    return {options.back().id, true};
}

void lf_updateOptionStrings(std::vector<StandOption>& options, std::uint32_t optionId,
                            std::string_view callsign)
{
    callsign = gf_withoutGhostMark(callsign);
    if (callsign.empty())
        return;
    StandOption* option = gf_findStandOption(options, optionId);
    if (!option)
        return;
    if (option->callsign.empty())
        option->callsign = std::string(callsign);
    else if (option->callsign != callsign && option->callsign2 != callsign)
        option->callsign2 = std::string(callsign);
}

bool updateOptions(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                   std::uint32_t optionId)
{
    StandOption* option = gf_findStandOption(options, optionId);
    if (!option)
        return false;
    try
    {
        lf_setSlotsFromBack(*option, slots, [](std::int32_t) { return false; });
        return true;
    }
    catch (const std::out_of_range& e)
    {
        gf_logWarning(fmt::format("{} exception:{}", "updateOptions", e.what()));
        return false;
    }
}

bool updateOptionsWrapped(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                          std::uint32_t previousDayId, std::uint32_t todayId)
{
    try
    {
        StandOption* previousDay = gf_findStandOption(options, previousDayId);
        if (!previousDay)
            return false;
        if (!slots.empty() && slots.back() != 0)
            lf_setSlotsFromBack(*previousDay, slots, [](std::int32_t slot) { return slot == 47; });
        StandOption* today = gf_findStandOption(options, todayId);
        if (!today)
            return false;
        while (slots.size() > 1)
        {
            today->hours |= gf_checkedSlotBit(slots.back());
            slots.pop_back();
        }
        return true;
    }
    catch (const std::out_of_range& e)
    {
        gf_logWarning(fmt::format("{} exception:{}", "updateOptionsWrapped", e.what()));
        return false;
    }
}

} // namespace ovr
