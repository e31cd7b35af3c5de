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
    // On stand B28 of the demo's EDDF airport file.
    s.user.pose.latDeg = 50.048218;
    s.user.pose.lonDeg = 8.569062;
    s.user.pose.headingDeg = 81.9;
    s.user.lights = kLightNav | kLightBeacon;
    s.terrain.elevationFt = 364.0;
    s.installed.titles = {{"Airbus A320 Neo Asobo", "A20N", 7.9, 0.4}};

    AirportFacility eddf;
    eddf.icao = "EDDF";
    eddf.name = "Frankfurt/Main";
    eddf.latDeg = 50.033333;
    eddf.lonDeg = 8.570556;
    eddf.altM = 111.0;
    // Stands B28, B44 and V155 of the demo's EDDF airport file: GATE_B (13)
    // and GATE_V (33) as name kinds; types 9 and 10 are medium and heavy gates.
    eddf.parkings = {
        TaxiParking{9, 0, 13, 0, 28, 0, 81.9F, 24.0F, -106.7F, 1655.1F},
        TaxiParking{10, 0, 13, 0, 44, 0, 261.9F, 38.0F, 24.8F, 1513.0F},
        TaxiParking{10, 0, 33, 0, 155, 0, 16.6F, 38.0F, -1576.4F, 1231.5F},
    };
    s.airports = {eddf};
    return s;
}

} // namespace ovr::sim
