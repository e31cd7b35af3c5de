#include "airports/max_fit.h"

#include "airports/airport_settings_window.h"
#include "core/parameters.h"

namespace ovr
{

float gf_fitHours(std::int32_t step)
{
    if (step <= 0)
        return 0.5f;
    if (step <= 9)
        return static_cast<float>(step + 1) * 0.5f;
    if (step <= 21)
        return static_cast<float>(step / 2 + 1);
    if (step <= 25)
        return 12.0f;
    if (step <= 31)
        return 15.0f;
    if (step <= 37)
        return 18.0f;
    if (step <= 43)
        return 21.0f;
    return 24.0f;
}

void gf_setMaxFit()
{
    MAX_FIT_FL.current = gf_fitHours(MAX_FIT.current.load());
    if (auto show = gf_airportSettingsWindow().showFitHours)
    {
        show();
    }
}

} // namespace ovr
