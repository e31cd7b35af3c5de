#include "gui/park_setting_controls.h"

namespace ovr
{

// The window's parking controls arrive with the main window; until then
// there is nothing to show or enable.
void gf_showFitHours() {}

void gf_enableInitialLoadDependent(bool /*enable*/) {}

} // namespace ovr
