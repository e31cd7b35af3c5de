#include "core/flight_text.h"

#include <fmt/format.h>

#include <iterator>

#include "core/code_pool.h"

namespace ovr
{

namespace
{

constexpr std::string_view kMissingRegistration = "@@@@@@@@";
constexpr std::size_t kMaxRegistrationLength = 8;

bool lf_isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

namespace
{

// The type text written onto the end of target, without a temporary: the
// log names a flight with it on every livery match.
void lf_appendTypeText(const FlightKey& key, std::string& target)
{
    // ",XYZ" for an operating airline, padded as one field
    fmt::basic_memory_buffer<char, 16> second;
    if (key.secondAirline != 0)
        fmt::format_to(std::back_inserter(second), ",{}", g_airlineCodes.text(key.secondAirline));
    fmt::format_to(std::back_inserter(target), "{:3}{:4} {:4}{}{:3}", g_airlineCodes.text(key.airline),
                   std::string_view(second.data(), second.size()), g_modelCodes.text(key.model),
                   key.mark != 0 ? '.' : ' ', key.cargo != 0 ? "(C)" : "");
}

} // namespace

std::string gf_flightTypeText(const FlightKey& key)
{
    std::string text;
    lf_appendTypeText(key, text);
    return text;
}

std::string gf_routeText(const FixedCode<3>& origin, const FixedCode<3>& destination)
{
    if (origin.empty() && destination.empty())
        return "        ";
    return fmt::format("{:3}->{:3}", origin.text(), destination.text());
}

std::string gf_callsignText(const FlightBase& flight)
{
    return fmt::format("{:8}", flight.callsign);
}

std::string gf_routeCallsignText(const FlightBase& flight)
{
    return fmt::format("{} {:12} {}", gf_callsignText(flight), flight.registration,
                       gf_routeText(flight.origin, flight.destination));
}

std::string gf_flightText(const FlightBase& flight)
{
    std::string text;
    return gf_appendFlightText(flight, text);
}

std::string& gf_flightTextInto(const FlightBase& flight, std::string& target)
{
    target.clear();
    return gf_appendFlightText(flight, target);
}

std::string& gf_appendFlightText(const FlightBase& flight, std::string& target)
{
    lf_appendTypeText(flight.key, target);
    auto out = std::back_inserter(target);
    fmt::format_to(out, " {:8} {:12} ", flight.callsign, flight.registration);
    if (flight.origin.empty() && flight.destination.empty())
        target.append(8, ' ');
    else
        fmt::format_to(out, "{:3}->{:3}", flight.origin.text(), flight.destination.text());
    return target;
}

std::string gf_flightText3(const FlightBase& flight)
{
    return fmt::format("{} {} {}", gf_callsignText(flight), flight.registration,
                       gf_flightTypeText(flight.key));
}

std::string gf_modelKeyText(const FlightBase& flight)
{
    return gf_flightTypeText(flight.key) + " " + flight.registration;
}

bool gf_isRealRegistration(std::string_view registration)
{
    return !registration.empty() && registration != kMissingRegistration &&
           registration.size() <= kMaxRegistrationLength;
}

std::optional<std::string> gf_airlineFromCallsign(std::string_view callsign)
{
    if (callsign.size() < 4 || !lf_isAsciiLetter(callsign[0]) || !lf_isAsciiLetter(callsign[1]) ||
        !lf_isAsciiLetter(callsign[2]) || !(callsign[3] >= '0' && callsign[3] <= '9'))
        return std::nullopt;
    std::string airline(callsign.substr(0, 3));
    for (char& c : airline)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return airline;
}

} // namespace ovr
