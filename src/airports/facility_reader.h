// The stands of an airport from the running simulator's facility data: its
// reference point, elevation and name, its taxi parkings and its helipads,
// asked over a second SimConnect client ("PARKING_DATA_RDR") that is opened
// on first use and polled on the calling thread (the airport scan's) until
// the simulator ends its answer.
#pragma once

#include <cstdint>
#include <string_view>

#include "airports/stand.h"
#include "platform/simconnect/simconnect.h"

namespace ovr
{

extern HANDLE g_parkingDataRdr;
extern bool g_parkingDataRdrOpen;

// Fills the record's code, name, elevation (feet) and stands (helipads named
// helipad1, helipad2 ...; parkings by their number, repeats with a, b ...)
// and marks it as facility data; the helipad count goes to `helipads`. True
// when the answer arrived, even without stands. False when the code is no
// ICAO code, the client cannot be opened, the request is refused, the
// connection fails, a stop is requested, or no message arrives for the
// wait time (30 s). A simulator exception throws UserErrorException 111.
bool gf_readFacility(std::string_view icao, AirportStands& record, std::uint32_t& helipads);

// Closes the client (the airport scan does when it ends); a later read opens
// it again.
void gf_closeFacilityReader();

} // namespace ovr
