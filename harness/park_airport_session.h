// A session at a park airport of the test's own making: its parking file in
// airports/my_thirdparty and the park-airport state cleared before and
// after, so that no test sees another's airport.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "virtual_session.h"

namespace ovr::test
{

struct ParkposLine
{
    std::string name;
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    double headingDeg = 0.0;
    double radiusM = 20.0;
    std::string options;     // the stand's <opt> elements, or empty
};

// The meta block of the parking files these sessions write.
inline constexpr std::string_view kParkingFileMeta = R"(  <meta>
    <info name="author" value="Vora" />
    <info name="version" value="12.5.5" />
    <info name="date" value="Jan 01, 2026" />
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only." />
    <info name="sim" value="1" />
  </meta>
)";

// Writes airports/my_thirdparty/EDDF.xml with these stands.
void writeParkingFile(std::string_view airportName, std::string_view publisher, double altitudeFt,
                      const std::vector<ParkposLine>& stands);

// The demo airport's parking file, made from the service's stands.
void writeDemoParkingFile(const fakert::Scenario& service);

class ParkAirportSession : public VirtualSession
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The user aircraft takes off from the airport and flies 30 NM north
    // within a minute, out of its sight.
    void flyAway(double latitude, double longitude);
};

} // namespace ovr::test
