#include "airports/weekday_hour.h"

namespace ovr
{

std::atomic<std::uint64_t> g_weekdayHour{0};

} // namespace ovr
