// The model database: the program's own reference data about aircraft types,
// airlines, scenery publishers, add-on airports and registrations. It ships
// encrypted as input/dbase.enc and is read once per process at start-up,
// before the liveries scan; afterwards its tables are only read, from any
// thread, without locks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/flight_key.h"
#include "core/fnv1a.h"

namespace ovr
{

using TextSet = std::set<std::string, std::less<>>;
using ModelIdSet = std::set<std::uint16_t>;
using TextGroups = std::vector<std::vector<std::string>>;

// One publisher's add-on airports for one simulator.
struct ThirdPartyAirports
{
    std::string publisher;             // empty when the entry names none
    std::vector<std::string> airports; // ICAO codes in file order
};

// One registration record: the aircraft's airline, operator, type and cargo
// flag. Records whose registration is shorter than 6 characters are also
// keywords searched for in livery titles (gf_findDbaseRecord).
struct DbaseRecord
{
    std::string r;
    FlightKey key;
};

// Known ICAO type designators.
extern TextSet g_knownModels;
// The class sets that give a type its category (model-pool ids).
extern ModelIdSet g_heavyModels;
extern ModelIdSet g_largeModels;
extern ModelIdSet g_buzjetModels;
extern ModelIdSet g_highPerformanceModels;
extern ModelIdSet g_rotorcraftModels;
// Groups of similar types, each sorted, in file order.
extern TextGroups g_similarTypeGroups;
// Groups of equivalent registration prefixes, each sorted, in file order.
extern TextGroups g_prefixGroups;
extern TextSet g_icaoAirlines;
// Groups of names of one scenery publisher; the first name names the group.
extern TextGroups g_publisherGroups;
// Type designator -> half wingspan in nautical miles.
extern std::map<std::string, double, std::less<>> g_halfSpans;
// Half wingspan in nautical miles by model id, sized to the model pool when
// it was filled; read through gf_wingspanOf.
extern std::vector<double> g_wingspanTable;
// The largest half wingspan read, in nautical miles (0 when none).
extern double g_maxWingSpan;
// Wrongly written type designator -> the right one.
extern std::map<std::string, std::string, std::less<>> g_modelFixes;
// Airports with add-on scenery parking data, per simulator.
extern TextSet g_simaddons20;
extern TextSet g_simaddons24;
extern std::vector<ThirdPartyAirports> g_thirdParties20;
extern std::vector<ThirdPartyAirports> g_thirdParties24;
// Registration records sorted by registration (byte-wise), unique.
extern std::vector<DbaseRecord> g_dbase;

// Derived while reading, so that the lookups never walk the tables above:
// the short registrations of g_dbase (keywords of livery titles) in its
// order, and each publisher's add-on airports per simulator.
using AirportsByPublisher =
    std::unordered_map<std::string, std::unordered_set<std::string, Fnv1aHash, std::equal_to<>>, Fnv1aHash,
                       std::equal_to<>>;
extern std::vector<std::string> g_dbaseKeywords;
extern AirportsByPublisher g_thirdPartyIndex20;
extern AirportsByPublisher g_thirdPartyIndex24;

// Reads input/dbase.enc into the tables and the two code pools. True after a
// complete read, false when the plain text does not parse. Throws
// std::runtime_error when the file is missing or cannot be decrypted, and
// UserErrorException 61 when a required section or value is missing. The
// plain input/dbase.xml never outlives the call.
bool gf_readDbase();

// The registration of the first short record (a keyword shorter than 6
// characters) that occurs in the text; used by the liveries scan on titles
// that name neither an airline nor a registration.
std::optional<std::string> gf_findDbaseRecord(std::string_view text);

} // namespace ovr
