// A seeded, deterministic stand-in for the live traffic around the scenario
// airport.
//
// The generator keeps a fixed number of slots. Each slot flies one kind of
// movement over and over: an arrival (base leg or long straight-in, final,
// flare, roll-out, exit and taxi to a stand), a departure (wait at a stand,
// taxi, line-up, take-off, climb-out with a turn), an over-flight at a
// cruising or transit level, or a ground movement between two stands. A
// slot's period and phase come from the seed, and every period starts a new
// flight with its own operator, type, registration, callsign and route, so
// the traffic looks like a stream of different aircraft while the state at
// any moment is a pure function of (seed, slot, time). Asking for the same
// moment twice gives the same feed, and consecutive moments show the same
// aircraft moving on. As on a real feed, an aircraft at its stand shows only
// for a minute or so after it arrives or before it moves; the rest of the
// time its transponder is off and the slot is empty.
//
// Each aircraft's data time is one to six seconds before the moment asked
// for, and its position is where it was at that data time, as a real feed
// delivers it. The arrays follow the service's 48-element layout; positions
// the clients do not read carry plausible filler, nulls and "null" texts.
//
// On request the generator adds defective entries of the kinds a real feed
// sends (short and long arrays, texts for numbers, "null" texts, absurd
// values, ground vehicles). Each is marked with whether a correct decoder
// takes it, so decoder tests can compare counts.
#pragma once

#include "fake-rt/geo.h"
#include "fake-rt/scenario.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ovr::fakert
{

inline constexpr std::size_t kLiveArraySize = 48;

enum class FlightRole
{
    Arrival,
    Departure,
    Overflight,
    GroundMovement,
    Defective
};

struct LiveAircraft
{
    std::string key;      // member name in "data"
    nlohmann::json array; // what the feed sends
    FlightRole role = FlightRole::Arrival;
    LatLon pos;
    double altitudeFt = 0.0; // true altitude
    double dataTime = 0.0;
    bool onGround = false;
    // A correct decoder takes it, apart from its own range and ground rules.
    bool wellFormed = true;
    std::string defect; // what is wrong with a defective entry
};

struct ParkedEntry
{
    std::string key;
    nlohmann::json array; // [lat, lon, stand, type, registration, epoch, callsign]
    LatLon pos;
};

class TrafficGenerator
{
  public:
    explicit TrafficGenerator(Scenario scenario);

    // Every slot's aircraft at the moment t (epoch s).
    std::vector<LiveAircraft> liveTraffic(double t) const;
    // The aircraft inside the box (only airborne ones when the scenario asks
    // for that), then badEntries defective ones placed inside the box.
    std::vector<LiveAircraft> liveTraffic(double t, const Box& box, int badEntries) const;
    // The scenario's parked aircraft and the generated ones inside the box,
    // each seen its own number of minutes before t.
    std::vector<ParkedEntry> parkedTraffic(double t, const Box& box) const;

    const Scenario& scenario() const { return m_scenario; }

    static nlohmann::json toData(const std::vector<LiveAircraft>& aircraft);
    static nlohmann::json toData(const std::vector<ParkedEntry>& parked);
    // The defect names in the order badEntries cycles through them.
    static std::vector<std::string> defectKinds();

  private:
    struct Flight;
    struct Sighting;

    Flight flight(int slot, long long cycle) const;
    std::optional<Sighting> sighting(int slot, double t) const;
    LiveAircraft defectiveEntry(int k, double t, const Box& box) const;

    Scenario m_scenario;
    LocalFrame m_frame;
    double m_qnh;
};

// The ICAO 24-bit address a registration gets: a fixed address inside the
// block of the registration's country.
unsigned hexAddressFor(const std::string& registration);

} // namespace ovr::fakert
