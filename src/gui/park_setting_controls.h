// The parking settings' controls that the parameter hooks do not reach: the
// fit-hours combo box and the "Now" button, which depends on INITIAL_LOAD_ONLY.
#pragma once

namespace ovr
{

// Selects the current MAX_FIT_FL in its combo box when it is one of the
// listed hours.
void gf_showFitHours();
// Enables or disables the "Now" button, which only matters while the parking
// is not limited to the initial load (and only once the parking allows it).
void gf_enableInitialLoadDependent(bool enable);

} // namespace ovr
