// The park-airport fields of the main window as the airport-file reader
// fills them: the file text (publisher, or publisher and version), the
// handmade mark, the quality text, the number of stands, the file's traffic
// week, and whether the park-airport control is enabled. Written on the main
// loop, painted on the UI thread; each write repaints the window.
#pragma once

#include <cstdint>
#include <string>

namespace ovr
{

struct ParkAirportPanel
{
    std::string fileText;
    bool handmade = false;
    std::string qualityText;
    std::int32_t standCount = 0;
    std::int32_t trafficWeek = 0;
    bool controlEnabled = false;
    // The park airport's description from the parking calculation.
    std::string description;
};

void gf_showParkStandCount(std::int32_t count);
void gf_showParkFileText(std::string text, bool handmade);
void gf_showParkQualityText(std::string text);
void gf_showParkTrafficWeek(std::int32_t week);
void gf_showParkDescription(std::string text);
// The park-airport control ("Flush static") once an airport file is read.
void gf_enableParkAirportControl();

// What the painter shows, read under the panel's lock.
ParkAirportPanel gf_parkAirportPanel();

} // namespace ovr
