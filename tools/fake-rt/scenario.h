// What the fake service knows about its world: one airport with its runways
// and stands, the accounts it accepts, its rate limits, the weather, the
// aircraft parked at the stands and the operators whose aircraft the traffic
// generator flies. Read from a scenario JSON file:
//
//   strict           true: the service as its public v5 documentation
//                    describes it (see docs/scenarios.md)
//   faults           [{path, ...}]  scripted faults, see fault_option.h
//   airport          {icao, iata, lat, lon, elevation_ft}
//   runways          [{name, lat, lon, heading (true), length_m, elevation_ft, no_types[]}]
//   runways_in_use   {arrivals[], departures[]}           runway names
//   stands           [{name, lat, lon, heading}]
//   service          {server, rrl, wrrl, session_timeout_s}
//   accounts         [{license, type (1 standard, 2 professional),
//                      expiry (epoch s) or expires_in_days, server}]
//   weather          {qnh (sent as given: int, float, text or inHg x 100),
//                      wind_dir, wind_kt, temperature_c, metar_radius_nm,
//                      stations [{icao, lat, lon}]}
//   parked           [{hex, stand, type, registration, callsign, seen_minutes_ago}]
//   traffic          {seed, aircraft, parked_generated, bad_entries, airborne_only}
//   fleet            [{icao, iata, weight, flight_numbers [first, last], routes[],
//                      aircraft [{type, registration, category, weight}]}]
//   tracks           [{hex, callsign, type, registration, origin, destination,
//                      category, points [{t, lat, lon, alt_ft, gs_kt, on_ground}],
//                      interval_s, gaps [[from, to]], jumps [{from, to, right_nm}],
//                      vertical_rate}]
//   tracks_epoch     epoch s at which the tracks' t is 0 (default 0), or
//                    "start": when the scenario is loaded
//
// A track is one scripted aircraft flown straight from point to point (t in
// seconds); it is in the feed from its first point's time to its last's,
// beside the generator's slots. A feed's defects are scripted on it: reports
// only every interval_s seconds (the feed repeats the last one between),
// gaps in which it is not in the feed, reports placed right_nm to the right
// of its track (a position jump), and no vertical rate.
//
// A registration in the fleet is a pattern: '?' stands for a letter, '#' for
// a digit. Patterns of different operators must not overlap, so that two
// aircraft in the air never share a registration.
#pragma once

#include "fake-rt/geo.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ovr::fakert
{

// fault.h: a fault carries JSON, which most scenarios never script.
struct PathFault;

struct Airport
{
    std::string icao;
    std::string iata;
    LatLon pos;
    double elevationFt = 0.0;
};

struct Runway
{
    std::string name;
    LatLon threshold;
    double headingTrue = 0.0;
    double lengthM = 0.0;
    double elevationFt = 0.0;
    std::vector<std::string> noTypes; // types that may not land here
};

struct Stand
{
    std::string name;
    LatLon pos;
    double headingTrue = 0.0;
};

struct Account
{
    std::string license;
    int type = 1;
    double expiry = 0.0; // epoch s
    std::string server;
};

struct MetarStation
{
    std::string icao;
    LatLon pos;
};

struct ParkedAircraft
{
    std::string hex;
    std::string stand;
    std::string type;
    std::string registration;
    std::string callsign;
    double seenMinutesAgo = 0.0;
};

struct FleetType
{
    std::string type;
    std::string registration; // pattern
    std::string category;     // ADS-B emitter category
    double weight = 1.0;
};

struct Operator
{
    std::string icao;
    std::string iata;
    double weight = 1.0;
    int firstFlightNumber = 1;
    int lastFlightNumber = 999;
    std::vector<std::string> routes; // three-letter airport codes
    std::vector<FleetType> aircraft;
};

struct TrackPoint
{
    double t = 0.0; // seconds after the tracks' epoch
    LatLon pos;
    double altitudeFt = 0.0; // true altitude
    double groundSpeedKt = 0.0;
    bool onGround = false; // by default: at an altitude of 0 or below
};

// Reports whose track time is in [from, to) are placed rightNm to the right
// of the track (to the left when negative).
struct TrackJump
{
    double from = 0.0;
    double to = 0.0;
    double rightNm = 0.0;
};

struct Track
{
    std::string hex;
    std::string callsign;
    std::string type;
    std::string registration;
    std::string origin;
    std::string destination;
    std::string category = "A3";
    std::vector<TrackPoint> points; // in time order
    double intervalS = 0.0;         // 0: a fresh report at every moment
    std::vector<std::pair<double, double>> gaps; // [from, to) not in the feed
    std::vector<TrackJump> jumps;
    bool verticalRate = true; // false: sent as 0, the geometric rate as null
};

struct TrafficSettings
{
    std::uint64_t seed = 1;
    int aircraft = 40;
    int parkedGenerated = 0;
    int badEntries = 0;
    bool airborneOnly = false;
};

struct Scenario
{
    std::string name;
    // The documented service's rules and reply forms instead of the kind
    // ones: sessions per licence kind and a 120 s lapse, 407 for history
    // too far back, buffers of at most 10 x 10 s (even), the reply fields
    // and array forms of the documentation, parked aircraft seen 10 minutes
    // to 24 hours ago, a rate-limited nearest METAR, gzip when accepted.
    bool strict = false;
    std::vector<PathFault> faults;
    Airport airport;
    std::vector<Runway> runways;
    std::vector<std::string> arrivalRunways;
    std::vector<std::string> departureRunways;
    std::vector<Stand> stands;

    std::string server = "rt-fake-1";
    int rrl = 2000;
    int wrrl = 2000;
    double sessionTimeoutS = 300.0;
    std::vector<Account> accounts;

    // The JSON text of the QNH value, sent as it is: 1013, 1013.2, "1013"
    // (a text) or 2992 (inHg x 100).
    std::string qnhJson = "1013";
    double windDir = 250.0;
    double windKt = 8.0;
    double temperatureC = 12.0;
    double metarRadiusNm = 100.0;
    std::vector<MetarStation> stations;

    std::vector<ParkedAircraft> parked;
    TrafficSettings traffic;
    std::vector<Operator> fleet;
    std::vector<Track> tracks;
    double tracksEpoch = 0.0;

    // Out of line, where PathFault is complete.
    Scenario();
    Scenario(const Scenario&);
    Scenario(Scenario&&) noexcept;
    Scenario& operator=(const Scenario&);
    Scenario& operator=(Scenario&&) noexcept;
    ~Scenario();

    const Runway* runway(std::string_view name) const;
    const Stand* stand(std::string_view name) const;
};

// The session lapse of the documented service.
inline constexpr double kStrictSessionTimeoutS = 120.0;

// Relative expiries are counted from now (epoch s). Throws std::runtime_error
// naming the first thing that is wrong.
Scenario parseScenario(const nlohmann::json& j, double now);
Scenario loadScenario(const std::filesystem::path& file, double now);

// The QNH in hPa that a scenario value stands for, read the way a client
// reads it (a number, or a text that starts with one; 1101 and above is
// inches of mercury x 100); 1013.25 when it holds none.
double qnhHectopascal(const nlohmann::json& qnh);

} // namespace ovr::fakert
