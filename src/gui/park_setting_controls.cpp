#include "gui/park_setting_controls.h"

#include <algorithm>
#include <iterator>

#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "gui/main_window_state.h"
#include "gui/window_state.h"

namespace ovr
{

void gf_showFitHours()
{
    const float hours = MAX_FIT_FL.current.load();
    const auto it = std::ranges::find(MAX_FIT_FL.values, hours);
    if (it != MAX_FIT_FL.values.end())
    {
        gf_selectParameterEntry(MAX_FIT_FL,
                                static_cast<std::size_t>(std::distance(MAX_FIT_FL.values.begin(), it)));
    }
}

// The control is the "Now" button, which also needs the permission that the
// parking operations give.
void gf_enableInitialLoadDependent(bool enable)
{
    gf_enableButton(g_nowButton, enable && g_nowPermitted.load() != 0);
}

} // namespace ovr
