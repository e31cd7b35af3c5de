#include "traffic/park_airports.h"

#include <algorithm>
#include <mutex>

#include "traffic/park_airport_file.h"

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

void gf_setFirstParkAirport(const IcaoCode& code, double /*latitude*/, double /*longitude*/)
{
    bool added = false;
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        const auto it = std::ranges::find_if(g_parkAirports, [&](const ParkAirportEntry& e) { return e.icao == code; });
        if (it != g_parkAirports.end())
        {
            std::rotate(g_parkAirports.begin(), it, std::next(it));
        }
        else
        {
            g_parkAirports.insert(g_parkAirports.begin(), ParkAirportEntry{code, {}});
            added = true;
        }
    }
    if (added)
    {
        gf_addParkAirport();
    }
}

std::size_t gf_countParkedLiveAc(bool /*withMean*/)
{
    return 0;
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
