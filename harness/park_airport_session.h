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
};

} // namespace ovr::test
