// Figures of the main window's airport panel: written by the parking logic
// and the stand learning on the main loop, painted on the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

// "# updates": the learned updates of the park airport's file.
extern std::atomic<std::uint32_t> g_apfUpdatesShown;
// "average fit": the mean parked time of the static aircraft in hours; -1 = none.
extern std::atomic<float> g_staticMeanFitShown;

} // namespace ovr
