#include "traffic/park_airports.h"

namespace ovr
{

std::vector<ParkAirportEntry> g_parkAirports;
std::atomic<std::uint8_t> g_parkingBusy{0};
std::atomic<std::int32_t> g_parkingCandidateCount{0};

// The parking arrives with the traffic subsystem; until then there is no park
// airport and nothing is parked.
bool gf_readParkAirports()
{
    return true;
}

bool gf_recheckParkAirports(bool /*initial*/, std::string& message)
{
    message.clear();
    return false;
}

void gf_leaveParkAirport()
{
    g_parkAirport = Airport{};
    g_reservedStand.clear();
}

void gf_handleParking(bool /*initial*/) {}

void gf_adjustParking(bool /*optionChanged*/) {}

void gf_removeAllStatics() {}

void gf_removeLiveAtStand(std::string_view /*standName*/) {}

void lf_removeStaticsReplacedByLive() {}

} // namespace ovr
