#include "airports/airport_settings_window.h"

namespace ovr
{

namespace
{

AirportSettingsWindow g_window;

} // namespace

void gf_setAirportSettingsWindow(const AirportSettingsWindow& window)
{
    g_window = window;
}

const AirportSettingsWindow& gf_airportSettingsWindow()
{
    return g_window;
}

} // namespace ovr
