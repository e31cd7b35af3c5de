// The strict mode's reply forms, as the service's public v5 documentation
// and its example replies show them, made from the generator's arrays: a
// provider letter at position 7 and a provider prefix on the source at 17,
// null for values the feed does not have, stand names with the airport's
// code in front, report times with fractions of a second.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace ovr::fakert
{

// The provider that delivered an aircraft: 'X' or 'T', fixed per address.
char providerOf(std::string_view hex);

// A live aircraft array (48 elements) in the documented form.
void toDocumentedLive(nlohmann::json& array, std::string_view hex);

// A parked aircraft array [lat, lon, stand, type, registration, epoch,
// callsign] in the documented form.
void toDocumentedParked(nlohmann::json& array, std::string_view hex, const std::string& airportIcao);

// The parked selection of the documented service: last ground speed 0 and
// seen 10 minutes to 24 hours before the moment asked for.
bool parkedInWindow(double seenAt, double now);

} // namespace ovr::fakert
