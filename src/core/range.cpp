#include "core/range.h"

#include "core/parameter_controls.h"
#include "core/parameters.h"

namespace ovr
{

std::int32_t gf_setRange(std::int32_t nm)
{
    // The derived values follow the clamped range: a traffic box wider than
    // the range that the window shows would be a different setting.
    const std::int32_t range = RANGE.clamp(nm);
    RANGE.current = range;
    if (const std::optional<std::size_t> index = RANGE.currentIndex())
    {
        gf_selectParameterEntry(RANGE, *index);
    }
    const std::int32_t meters = range * 1852 + 10000;
    g_rangeNm = static_cast<double>(range);
    g_rangeMeters = meters;
    return meters;
}

} // namespace ovr
