// The fit window of the static parking in two units: MAX_FIT counts half-hour
// steps (stored), MAX_FIT_FL shows hours (not stored). A setting of the
// parking logic, here because the airport files set it too.
#pragma once

#include <cstdint>

namespace ovr
{

// The hours of a fit step: half-hour steps up to 5 hours, then coarser
// (6 to 12 hours by the hour, then 15, 18, 21 and 24).
float gf_fitHours(std::int32_t step);

// MAX_FIT_FL from the current MAX_FIT (gf_fitHours), selected in its combo
// box.
void gf_setMaxFit();

} // namespace ovr
