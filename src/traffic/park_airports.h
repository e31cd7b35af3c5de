// The user's list of park airports (airports/my_park_airports.txt and the
// airports of airports/my_thirdparty), the choice of the park airport near
// the user and leaving it again, and the parking jobs of the main loop; the
// park airport itself is in airports/park_airport.h.
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
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double distance = 0.0;  // NM from the user aircraft, 0 until computed
};

// In list order, the first entry is the candidate park airport. Written
// under g_parkAirportsMutex (the simulator link reads and changes it).
extern std::vector<ParkAirportEntry> g_parkAirports;
// A parking calculation runs (its controls are disabled meanwhile).
extern std::atomic<std::uint8_t> g_parkingBusy;
// Parking candidates counted while the calculation runs.
extern std::atomic<std::int32_t> g_parkingCandidateCount;
// Main loop: the static calculation waits for the next parking pass.
extern std::uint8_t g_recalcPending;

// Empties the list and reads the file and airports/my_thirdparty; false when
// an airport is unknown, a line is malformed or the reading failed.
bool lf_readMyParkAirports();
// Reads the park airports and their reserved stands; true when all are known.
bool gf_readParkAirports();
// Re-reads them; true when the list is fine, with the message in `message`.
bool gf_recheckParkAirports(bool checkStand, std::string& message);
// Makes the airport the first park airport: its entry moves to the front,
// or a new one is put there and written into the file.
void gf_setFirstParkAirport(const IcaoCode& code, double latitude, double longitude);
// The active parked live aircraft; with the mean, their mean parked time in
// hours is stored for the window.
std::size_t gf_countParkedLiveAc(bool withMean);

// The steps of the parking driver (main loop).
void lf_updateParkAirportDistances(double latitude, double longitude);
void lf_findParkAirport(double latitude, double longitude, double aboveGroundFt, bool onGround, bool now);
bool lf_setParkAirport(const IcaoCode& code);
void lf_startParkingCalc(bool showStatus);
void lf_beginParking(bool now);
// Loads the park airport's airport file into the stand list; the empty text
// on success, else the text to show.
std::string lf_readParkedFile();
void lf_checkParkAirportInSight(double latitude, double longitude, double aboveGroundFt, bool onGround);
// Places the static parked aircraft of the park airport.
void gf_calcStaticParked();

// Leaves the park airport: its static aircraft go, its learned file is saved.
void gf_leaveParkAirport();
void lf_resetParkAirport();
// Writes what was learned at the park airport into its learned file
// (g_learnedApfPath; nothing when empty).
void gf_saveAirportFile();
// The parking driver: initial at the start of the main loop, else every 16 s.
void gf_handleParking(bool initial);
void gf_removeAllStatics();
void gf_removeLiveAtStand(std::string_view standName);
void lf_removeStaticsReplacedByLive();

} // namespace ovr
