#include "gui/main_window_repaint.h"

namespace ovr
{

// Until the main window exists there is nothing to repaint; the window layer
// invalidates the whole client area here.
void gf_repaintMainWindow() {}

} // namespace ovr
