#include "park_airport_session.h"

#include <filesystem>
#include <fstream>
#include <mutex>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "airports/parking_state.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "traffic/park_airports.h"
#include "traffic/static_parking.h"

namespace ovr::test
{

void writeParkingFile(std::string_view airportName, std::string_view publisher, double altitudeFt,
                      const std::vector<ParkposLine>& stands)
{
    std::filesystem::create_directories(g_myThirdpartyPath);
    std::ofstream out(g_myThirdpartyPath / "EDDF.xml", std::ios::binary);
    out << fmt::format(R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora" />
    <info name="version" value="12.5.5" />
    <info name="date" value="Jan 01, 2026" />
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only." />
    <info name="sim" value="1" />
  </meta>
  <parameters>
    <parameter name="icao" value="EDDF" />
    <parameter name="airport_name" value="{}" />
    <parameter name="publisher" value="{}" />
    <parameter name="version" value="1.0" />
    <parameter name="altitude" value="{:.0f}" />
    <parameter name="num_parkpos" value="{}" />
  </parameters>
  <parkpositions>
)",
                       airportName, publisher, altitudeFt, stands.size());
    for (const ParkposLine& s : stands)
    {
        out << fmt::format(R"(    <parkpos id="{}" latitude="{:.6f}" longitude="{:.6f}" heading="{:.1f}" radius="{:.1f}" type="0" cargo="false" ramp="false">{}</parkpos>)",
                           s.name, s.latitude, s.longitude, s.headingDeg, s.radiusM, s.options)
            << "\n";
    }
    out << "  </parkpositions>\n</root>\n";
}

void writeDemoParkingFile(const fakert::Scenario& service)
{
    std::vector<ParkposLine> lines;
    for (const fakert::Stand& s : service.stands)
        lines.push_back(ParkposLine{s.name, s.pos.lat, s.pos.lon, s.headingTrue, 30.0, {}});
    writeParkingFile("Frankfurt demo", "Demo", service.airport.elevationFt, lines);
}

void ParkAirportSession::SetUp()
{
    VirtualSession::SetUp();
    const std::scoped_lock lock(g_parkAirportsMutex);
    g_parkAirports.clear();
    g_parkAirport = Airport{};
    g_reservedStand.clear();
}

void ParkAirportSession::TearDown()
{
    lf_resetParkAirport();
    g_parkingBusy.store(0);
    g_recalcPending = 0;
    g_airports.clear();
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirports.clear();
    }
    g_staticRunningNumber = 0;
    CUSTOM_PARKING_PERCENTAGE.current.store(CUSTOM_PARKING_PERCENTAGE.defaultValue);
    for (IntListParameter* p : {&MAX_PARK_SEL, &MAX_LIVE_SEL, &parking_percentage})
        p->current.store(p->defaultValue);
    VirtualSession::TearDown();
}

} // namespace ovr::test
