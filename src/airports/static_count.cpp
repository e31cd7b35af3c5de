#include "airports/static_count.h"

#include "airports/airport_panel_figures.h"
#include "airports/parking_state.h"
#include "airports/weekday_hour.h"
#include "core/window_repaint.h"

#include <cmath>

namespace ovr
{

std::size_t gf_countStaticAc(bool withMean)
{
    const std::uint64_t now = g_weekdayHour.load();
    std::size_t count = 0;
    std::int64_t halfHours = 0;
    for (const StaticAc& ac : g_staticAircraft)
    {
        if (ac.simState != kSimStateActive && ac.simState != kSimStateRemoving)
            continue;
        ++count;
        // Every counted aircraft is in the mean: one parked late in the week
        // is counted across the week's end rather than left out.
        halfHours += gf_halfHoursBetween(gf_weekdayOf(ac.parkedSince), gf_slotOf(ac.parkedSince),
                                         gf_weekdayOf(now), gf_slotOf(now));
    }
    if (!withMean)
        return count;

    const double mean =
        count == 0 ? 0.0 : static_cast<double>(halfHours) / (2.0 * static_cast<double>(count)) + 0.5;
    if (g_fitPassesRunning == 0)
    {
        const float shown = g_staticMeanFitShown.load();
        const auto fresh = static_cast<float>(mean);
        if (fresh != shown || std::isnan(fresh) || std::isnan(shown))
        {
            g_staticMeanFitShown.store(fresh);
            gf_repaintMainWindow();
        }
    }
    return count;
}

} // namespace ovr
