// The fit window of the static parking in two units: MAX_FIT counts half-hour
// steps (stored), MAX_FIT_FL shows hours (not stored). A setting of the
// parking logic, here because the airport files set it too.
#pragma once

namespace ovr
{

// MAX_FIT_FL from the current MAX_FIT (step n is (n + 1) / 2 hours), selected
// in its combo box.
void gf_setMaxFit();

} // namespace ovr
