// The user's list of park airports (airports/my_park_airports.txt) and the
// parking jobs of the main loop; the park airport itself is in
// airports/park_airport.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "airports/airport.h"
#include "airports/park_airport.h"

namespace ovr
{

struct ParkAirportEntry
{
    IcaoCode icao;
    std::string reservedStand;
};

extern std::vector<ParkAirportEntry> g_parkAirports;
// A parking calculation runs (its controls are disabled meanwhile).
extern std::atomic<std::uint8_t> g_parkingBusy;
// Parking candidates counted while the calculation runs.
extern std::atomic<std::int32_t> g_parkingCandidateCount;

// Reads the park airports and their reserved stands; true when all are known.
bool gf_readParkAirports();
// Re-reads them; true when something changed, with the message in `message`.
bool gf_recheckParkAirports(bool initial, std::string& message);
// Makes the airport the first park airport: its entry moves to the front,
// or a new one is put there and written into the file.
void gf_setFirstParkAirport(const IcaoCode& code, double latitude, double longitude);
// The active parked live aircraft; with the mean, their mean parked time in
// hours is stored for the window.
std::size_t gf_countParkedLiveAc(bool withMean);
// Leaves the park airport: its static aircraft go, its learned file is saved.
void gf_leaveParkAirport();
// The parking driver: initial at the start of the main loop, else every 16 s.
void gf_handleParking(bool initial);
// Adjusts the static parking of the park airport.
void gf_adjustParking(bool optionChanged);
void gf_removeAllStatics();
void gf_removeLiveAtStand(std::string_view standName);
void lf_removeStaticsReplacedByLive();

} // namespace ovr
