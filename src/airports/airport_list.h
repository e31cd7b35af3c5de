// The airport list: every airport the program knows, read once per run from
// the encrypted input/airports.enc. Filled by the start-up thread before any
// other thread looks at it and never changed afterwards, so readers take no
// lock.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "airports/airport.h"
#include "core/fixed_code.h"

namespace ovr
{

// Sorted by the ICAO code's bytes, for binary search.
extern std::vector<Airport> g_airports;
extern std::unordered_set<IcaoCode> g_knownAirports;

// Reads the list once; true when it holds at least one airport. Throws
// UserErrorException 88 when the file cannot be decrypted or read.
bool gf_readAirports();

bool gf_isKnownAirport(const IcaoCode& icao);

// The record of a code, or none.
const Airport* gf_findAirport(const IcaoCode& icao);

// The closest airport within 5 NM; a neighbouring airport that the nearest
// one replaced wins when one of its stands is nearer than any of the nearest
// airport's stands.
const Airport* gf_findClosestAirport(double latitude, double longitude);

// The airport code that a free text names: the first 4-character token that
// the service supports and the list knows, else the last supported token.
std::optional<IcaoCode> gf_findAirportCodeInText(std::string_view text);

} // namespace ovr
