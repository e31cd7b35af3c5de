#include "airports/max_fit.h"

#include "airports/airport_settings_window.h"
#include "core/parameters.h"

namespace ovr
{

void gf_setMaxFit()
{
    MAX_FIT_FL.current = static_cast<float>(MAX_FIT.current.load() + 1) * 0.5f;
    if (auto show = gf_airportSettingsWindow().showFitHours)
    {
        show();
    }
}

} // namespace ovr
