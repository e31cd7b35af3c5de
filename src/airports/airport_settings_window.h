// What applying an airport's settings asks of the main window beyond the
// parameter hooks of core/parameter_controls.h: two of the window's option
// helpers and the two parking controls that those hooks do not reach. The
// window is floors above, so the program hands these over at start; unset
// (in tools and tests without a window), nothing is asked.
#pragma once

namespace ovr
{

struct AirportSettingsWindow
{
    // gf_applyAutoRange: AUTO_RANGE was set by a learned file.
    void (*applyAutoRange)() = nullptr;
    // gf_enableParkPctControls: RT_PARKTRAFFIC_ONLY was set by a learned file.
    void (*enableParkPctControls)() = nullptr;
    // gf_showFitHours: MAX_FIT_FL changed.
    void (*showFitHours)() = nullptr;
    // gf_enableInitialLoadDependent: INITIAL_LOAD_ONLY was set by a learned file.
    void (*enableInitialLoadDependent)(bool enable) = nullptr;
};

// Called once at start, before any thread reads the airport files.
void gf_setAirportSettingsWindow(const AirportSettingsWindow& window);
const AirportSettingsWindow& gf_airportSettingsWindow();

} // namespace ovr
