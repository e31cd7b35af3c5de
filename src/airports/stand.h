// A stand is one parking place or helipad of an airport, with the flight
// options learned for it: which aircraft was seen parked there, on which
// weekday and in which half hours. `AirportStands` is one airport's stands as
// one source describes them (an airport parking file, the simulator's facility
// data or a scenery file).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "airports/half_hours.h"
#include "core/fixed_code.h"
#include "core/flight_key.h"

namespace ovr
{

// Stand radii are nautical miles in memory and metres in files.
inline constexpr double kNmPerMetre = 0.0005399568034557236;

struct StandOption
{
    FlightKey key;
    std::string registration;
    std::string callsign;  // the first callsign seen, without one trailing "_"
    std::string callsign2; // a later, different callsign; empty until then
    HalfHourSet hours = 0;
    // 1-based within its stand (options before it + 1); 0 = none, or retired
    // by the static-parking search. No search takes an option with id 0.
    std::uint32_t id = 0;
    std::uint32_t day = 0;      // weekday 1..7, Sunday 7
    std::uint32_t fromFile = 0; // 1 = read from an airport file, 0 = learned while running
    std::uint32_t real = 1;     // 1 = a real sighting, 0 = a soft (derived) one
    std::uint8_t cpl = 0;       // learned in modes 2 and 3
};

struct Stand
{
    std::vector<StandOption> options;
    std::string name;                   // unique within one airport (12, 12a, helipad1)
    std::vector<std::int32_t> adjacent; // numeric ids of the neighbouring stands
    double latitude = 0.0;
    double longitude = 0.0;
    double heading = 0.0;           // true heading, radians
    double radius = 0.0;            // nautical miles
    std::int32_t numericId = 0;     // the stand list is sorted by it; 0 for helipads
    std::uint16_t type = 0;         // the simulator's TAXI_PARKING TYPE, 0..15
    std::uint8_t manual = 0;        // added by hand in the airport file
    std::uint8_t radiusChanged = 0; // enlarged by learning; written back
    std::uint8_t cargoChanged = 0;  // cargo flag changed by hand
    std::uint8_t staticTaken = 0;   // static chosen: a static parked aircraft is placed on it
    std::uint8_t occupied = 0;      // live occupied: a live aircraft stands on it
    std::uint8_t reserved = 0;      // the user's stand; never given to an aircraft
    std::uint8_t adjacentTaken = 0; // adjacent chosen: a neighbouring stand is taken
    std::uint8_t cargo = 0;
    std::uint8_t ramp = 0;
    std::uint8_t heli = 0;
};

struct AirportStands
{
    IcaoCode icao;               // empty for none
    std::uint8_t sourceKind = 0; // 1 = the simulator's facility data, 0 = scenery files
    std::string name;
    std::filesystem::path sceneryPath;
    std::string sceneryPathText; // "BGLpath" in airport files
    std::string publisher;
    std::string packageText;
    std::string version;
    std::string manufacturer;
    std::string creator;
    std::uint8_t packageDetails = 0; // the package gave version, manufacturer and creator
    std::int32_t realFigure = -1;    // coverage figures; -1 when absent
    std::int32_t softFigure = -1;
    std::int32_t elevation = 0; // feet
    std::vector<Stand> stands;
};

// Options keep callsigns and registrations without the service's mark of a
// doubled (ghost) flight, one trailing "_".
inline std::string_view gf_withoutGhostMark(std::string_view text)
{
    if (!text.empty() && text.back() == '_')
        text.remove_suffix(1);
    return text;
}

// Options and aircraft are the same flight when airline, operating airline
// and type agree (cargo and database marks aside).
inline bool gf_sameAirlineAndType(const FlightKey& a, const FlightKey& b)
{
    return a.airline == b.airline && a.secondAirline == b.secondAirline && a.model == b.model;
}

// A stand as an airport file or a scenery source describes it: the radius is
// given in metres, the numeric id is left to the caller, and only the cargo,
// ramp and heli flags are set.
Stand gf_makeStand(std::string name, std::vector<StandOption> options, double latitude, double longitude,
                   double headingRadians, double radiusMetres, std::uint16_t type, bool cargo, bool ramp,
                   bool heli);

// Whether a stand read from a file or the simulator can be placed and linked:
// finite coordinates within range and a finite radius above zero. A stand
// that fails would invert the neighbour search or place aircraft nowhere.
bool gf_standGeometryValid(double latitude, double longitude, double radiusMetres);

// Whether a parking type accepts an aircraft category (0 light, 1 business
// jet, 2 large, 3 heavy, 4 high performance, 5 rotorcraft). Type 0 accepts
// nothing: such a stand is judged by its size instead.
bool gf_standAcceptsClass(const Stand& stand, std::int32_t category);

// A message about the stand at a position of a file: the format receives the
// ordinal number and the attribute name "id".
std::string gf_standMessage(std::string_view format, std::int32_t ordinal);

} // namespace ovr
