// The text forms in which flights appear in the log, the lists and the
// output files. Ids outside their pools read as the empty code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/fixed_code.h"
#include "core/flight_base.h"
#include "core/flight_key.h"

namespace ovr
{

// "KLM     B744.(C)": airline, ",operator", type, '.' for the mark, cargo.
std::string gf_flightTypeText(const FlightKey& key);
// "AMS->LHR"; eight blanks when both codes are empty.
std::string gf_routeText(const FixedCode<3>& origin, const FixedCode<3>& destination);
// The callsign padded to 8 characters.
std::string gf_callsignText(const FlightBase& flight);
// Callsign, registration padded to 12, route.
std::string gf_routeCallsignText(const FlightBase& flight);
// Type text and route-and-callsign line: how the log names a flight.
std::string gf_flightText(const FlightBase& flight);
std::string& gf_flightTextInto(const FlightBase& flight, std::string& target);
// The same text written onto the end of target.
std::string& gf_appendFlightText(const FlightBase& flight, std::string& target);
// Callsign, registration and type text.
std::string gf_flightText3(const FlightBase& flight);
// Type text and registration.
std::string gf_modelKeyText(const FlightBase& flight);

// Not empty, not the placeholder "@@@@@@@@" of a missing registration, and at
// most 8 characters.
bool gf_isRealRegistration(std::string_view registration);
// The airline of an airline callsign (three letters and a digit): the three
// letters in upper case.
std::optional<std::string> gf_airlineFromCallsign(std::string_view callsign);

} // namespace ovr
