#include "airports/airport_panel_figures.h"

namespace ovr
{

std::atomic<std::uint32_t> g_apfUpdatesShown{0};
std::atomic<float> g_staticMeanFitShown{-1.0f};

} // namespace ovr
