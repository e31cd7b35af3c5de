#include "platform/simconnect/scenario_json.h"
#include "platform/simconnect/sim_object.h"

namespace ovr::sim
{

// A small version of data/scenarios/sim-demo.json, so that a run without a
// scenario file still finds a user aircraft parked at a real airport.
Scenario builtInScenario()
{
    Scenario s;
    s.user.title = "Airbus A320 Neo Asobo";
    s.user.atcModel = "TT:ATCCOM.AC_MODEL_A20N.0.text";
    s.user.atcId = "D-AINA";
    s.user.pose.latDeg = 50.04780;
    s.user.pose.lonDeg = 8.56930;
    s.user.pose.headingDeg = 150.0;
    s.user.lights = kLightNav | kLightBeacon;
    s.terrain.elevationFt = 364.0;
    s.installed.titles = {{"Airbus A320 Neo Asobo", "A20N", 7.9, 0.4}};

    AirportFacility eddf;
    eddf.icao = "EDDF";
    eddf.name = "Frankfurt/Main";
    eddf.latDeg = 50.033333;
    eddf.lonDeg = 8.570556;
    eddf.altM = 111.0;
    // GATE_A (12), GATE_B (13) and GATE_V (33) as name kinds; types 9 and 10 are medium and heavy gates.
    eddf.parkings = {
        TaxiParking{9, 0, 12, 0, 26, 0, 150.0F, 24.0F, -89.7F, 1608.7F},
        TaxiParking{10, 0, 13, 0, 26, 0, 205.0F, 36.0F, 310.3F, 1586.4F},
        TaxiParking{9, 0, 33, 0, 155, 0, 270.0F, 24.0F, 1803.1F, 785.8F},
    };
    s.airports = {eddf};
    return s;
}

} // namespace ovr::sim
