#include "core/time.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>

#include <fmt/format.h>
#include <gsl/gsl>

#include "core/globals.h"
#include "core/time_detail.h"

namespace ovr
{

namespace
{

namespace chr = std::chrono;

// The range of _gmtime64_s: 1970-01-01 up to 3000-12-31 23:59:59 UTC.
constexpr std::int64_t kLastConvertibleSecond = 32535215999;

std::atomic<DataTimeSource> g_dataTimeSource{nullptr};

std::string_view lf_monthName(int month)
{
    static constexpr std::array<std::string_view, 12> names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[static_cast<std::size_t>(month - 1)] : "???";
}

std::string_view lf_dayName(int weekday)
{
    static constexpr std::array<std::string_view, 7> names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return weekday >= 1 && weekday <= 7 ? names[static_cast<std::size_t>(weekday - 1)] : "???";
}

std::atomic<detail::UtcSource> g_utcSource{nullptr};

std::int64_t lf_systemSeconds()
{
    if (const detail::UtcSource source = g_utcSource.load())
    {
        return source();
    }
    return chr::duration_cast<chr::seconds>(chr::system_clock::now().time_since_epoch()).count();
}

// The data time rounded half away from zero, when a shifted replay is in
// force; 0 otherwise. A data time that is not a whole number of the i64 range
// after rounding throws gsl::narrowing_error.
std::int64_t lf_shiftedDataSeconds()
{
    if (g_rtProfessional.load() == 0 || g_timeShiftOn.load() == 0)
        return 0;
    DataTimeSource source = g_dataTimeSource.load();
    double dataTime = source ? source() : 0.0;
    double rounded = std::round(dataTime);
    // 2^63 is exactly representable; every double below it converts exactly.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        throw gsl::narrowing_error{};
    return static_cast<std::int64_t>(rounded);
}

std::string lf_clockPart(std::int64_t t)
{
    std::string text = gf_formatTime(t);
    // hh:mm:ss ends 5 characters before the end (a blank and the year).
    if (text.size() < 13)
        return text;
    return text.substr(text.size() - 13, 8);
}

} // namespace

std::optional<UtcTime> gf_utcTime(std::int64_t t)
{
    if (t < 0 || t > kLastConvertibleSecond)
        return std::nullopt;
    chr::sys_seconds tp{chr::seconds{t}};
    auto days = chr::floor<chr::days>(tp);
    chr::year_month_day ymd{days};
    chr::hh_mm_ss hms{tp - days};
    UtcTime u;
    u.year = static_cast<int>(ymd.year());
    u.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    u.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    u.weekday = static_cast<int>(chr::weekday{days}.iso_encoding());
    u.hour = static_cast<int>(hms.hours().count());
    u.minute = static_cast<int>(hms.minutes().count());
    u.second = static_cast<int>(hms.seconds().count());
    return u;
}

void detail::setUtcSource(UtcSource source)
{
    g_utcSource.store(source);
}

void gf_setDataTimeSource(DataTimeSource source)
{
    g_dataTimeSource.store(source);
}

std::int64_t gf_now()
{
    std::int64_t shifted = lf_shiftedDataSeconds();
    return shifted != 0 ? shifted : lf_systemSeconds();
}

std::string gf_formatTime(std::int64_t t)
{
    auto u = gf_utcTime(t);
    if (!u)
        return "Invalid time";
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", lf_dayName(u->weekday),
                       lf_monthName(u->month), u->day, u->hour, u->minute, u->second, u->year);
}

std::string gf_timeOfDayString()
{
    return lf_clockPart(lf_systemSeconds());
}

std::string gf_dateText()
{
    std::string text = gf_formatTime(lf_systemSeconds());
    if (text.size() < 24)
        return text;
    return fmt::format("{}, {}", text.substr(4, 6), text.substr(20, 4));
}

std::string gf_shiftedTimeString()
{
    std::int64_t shifted = lf_shiftedDataSeconds();
    if (shifted != 0)
        return fmt::format("<<< {}", lf_clockPart(shifted));
    return lf_clockPart(lf_systemSeconds());
}

namespace detail
{

std::int32_t halfHourSlotAt(std::int64_t t)
{
    auto u = gf_utcTime(t);
    if (!u)
        return -1;
    std::int32_t slot = 2 * u->hour;
    if (u->minute > 29 || (u->minute == 29 && u->second >= 30))
        ++slot;
    return slot % 48;
}

} // namespace detail

std::int32_t gf_halfHourSlot()
{
    return detail::halfHourSlotAt(gf_now());
}

} // namespace ovr
