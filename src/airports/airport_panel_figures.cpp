#include "airports/airport_panel_figures.h"

namespace ovr
{

std::atomic<std::uint32_t> g_apfUpdatesShown{0};
std::atomic<float> g_staticMeanFitShown{-1.0f};
std::atomic<float> g_parkedMeanHoursShown{-1.0f};
std::atomic<std::uint8_t> g_parkDataRead{0};
std::atomic<std::int32_t> g_staticWanted{0};
std::atomic<std::int32_t> g_staticWantedPercent{0};
std::atomic<std::uint8_t> g_fitUsedSoft{0};
std::atomic<std::uint8_t> g_fitUsedOtherDays{0};
std::atomic<std::uint8_t> g_reservedStandFound{0};

} // namespace ovr
