// What the fake service sent: its position log (fake-rt --positions), read
// back per aircraft.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace ovr::traceplot
{

struct FeedPosition
{
    double dataTime = 0.0; // epoch s
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0; // true altitude
    bool onGround = false;
};

struct FeedAircraft
{
    std::string key; // the service's key, the ICAO address
    std::string callsign;
    std::string registration;
    // In data-time order, each data time once: the same report comes in
    // several replies (every live reply until it is renewed, the buffers).
    std::vector<FeedPosition> positions;
};

// In the order of first appearance. Lines that are not positions are
// skipped. A key whose callsign changes stays one aircraft (its latest
// callsign and registration are kept).
std::vector<FeedAircraft> readFeedPositions(std::istream& in);

} // namespace ovr::traceplot
