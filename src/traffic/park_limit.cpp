#include "traffic/park_limit.h"

#include <algorithm>
#include <cmath>

#include <gsl/gsl>

#include "airports/airport_panel_figures.h"
#include "airports/stand_list.h"
#include "core/parameters.h"
#include "core/text.h"
#include "core/window_repaint.h"

namespace ovr
{

std::int32_t gf_wantedParking()
{
    const auto stands = static_cast<std::int64_t>(g_stands.size());
    const std::int32_t custom = CUSTOM_PARKING_PERCENTAGE.current.load();
    const std::int32_t pct = custom >= 0 ? custom : parking_percentage.current.load();
    const std::int32_t cap = MAX_PARK_SEL.current.load();
    std::int32_t limit = 0;
    if (cap > 0)
    {
        std::int32_t wanted = 1;
        if (stands > 1 && (stands > 3 || pct >= 50))
        {
            // Halves round away from zero.
            wanted = gsl::narrow<std::int32_t>(
                std::llround(static_cast<double>(pct) * static_cast<double>(stands) / 100.0));
        }
        limit = std::min(cap, wanted);
        g_staticWanted.store(limit);
        g_staticWantedPercent.store(gf_percentOf(limit, stands));
    }
    else
    {
        g_staticWanted.store(0);
        g_staticWantedPercent.store(parking_percentage.current.load());
    }
    gf_repaintMainWindow();
    return limit;
}

} // namespace ovr
