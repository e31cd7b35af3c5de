#include "airports/apf_updates.h"

#include "airports/airport_panel_figures.h"
#include "core/window_repaint.h"

namespace ovr
{

std::uint32_t g_apfUpdates = 0;

void gf_countApfUpdate()
{
    ++g_apfUpdates;
    if (g_apfUpdatesShown.load() != g_apfUpdates)
    {
        g_apfUpdatesShown.store(g_apfUpdates);
        gf_repaintMainWindow();
    }
}

} // namespace ovr
