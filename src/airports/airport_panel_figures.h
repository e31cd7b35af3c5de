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
// "average fit" of the parked live aircraft: their mean parked time in
// hours; -1 = none.
extern std::atomic<float> g_parkedMeanHoursShown;
// The park airport's parking data are read (its code turns from yellow to
// green and the rest of the panel is drawn).
extern std::atomic<std::uint8_t> g_parkDataRead;
// The wanted number of static parked aircraft and the percentage behind it.
extern std::atomic<std::int32_t> g_staticWanted;
extern std::atomic<std::int32_t> g_staticWantedPercent;
// The last static-parking fit used soft observations / observations of
// other weekdays.
extern std::atomic<std::uint8_t> g_fitUsedSoft;
extern std::atomic<std::uint8_t> g_fitUsedOtherDays;
// The user's reserved stand was found at the park airport.
extern std::atomic<std::uint8_t> g_reservedStandFound;

} // namespace ovr
