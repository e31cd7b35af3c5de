#include "traffic/max_fit.h"

#include "core/parameters.h"
#include "gui/park_setting_controls.h"

namespace ovr
{

void gf_setMaxFit()
{
    MAX_FIT_FL.current = static_cast<float>(MAX_FIT.current.load() + 1) * 0.5f;
    gf_showFitHours();
}

} // namespace ovr
