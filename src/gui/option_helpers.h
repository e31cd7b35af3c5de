// The window's option helpers that the lifecycle calls: the range, the time
// shift, the parking controls, the destination and the traffic counts.
#pragma once

#include <cstdint>
#include <string_view>

#include "airports/airport.h"

namespace ovr
{

void gf_applyAutoRange();
// Recomputes RANGE while AUTO_RANGE is on.
void gf_autoRange();
void gf_enableParkPctControls();
// The time-shift controls by the service account type.
void gf_enableTimeControls(bool enable);
// Makes `minutes` the time shift of both readers (at most 2 weeks).
void gf_timeShift(std::int32_t minutes, bool show);
// Shows `minutes` in the three time-shift settings.
void gf_showTimeShift(std::int32_t minutes);
void gf_parkingBusy();
void gf_scheduleParkingUpdate();
// The typed destination becomes the first park airport.
void gf_setDestination(std::string_view destination, const Airport& airport);
// Recounts the moving, parked and static aircraft once a second.
void gf_updateTrafficCounts();
// Warns when no live traffic is received in the region.
void lf_noTrafficCheck();

// The option controls in their start state: enabled, showing their values.
void gf_setOptionControlsStartState();
void gf_enableRereadButton(bool enable);
void gf_enableCsOidButton(bool enable);

} // namespace ovr
