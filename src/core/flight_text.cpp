#include "core/flight_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
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

// `text` onto the end of target, padded with spaces to `width` columns as
// fmt pads "{:width}". The log names a flight on every livery match, so the
// common case (ASCII: a column a byte) is written without the formatter;
// other text is padded by fmt itself, whose column count knows wide
// characters.
void lf_appendPadded(std::string& target, std::string_view text, std::size_t width)
{
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    {
        fmt::format_to(std::back_inserter(target), "{:{}}", text, width);
        return;
    }
    target.append(text);
    if (text.size() < width)
        target.append(width - text.size(), ' ');
}

// The type text written onto the end of target, without a temporary.
void lf_appendTypeText(const FlightKey& key, std::string& target)
{
    lf_appendPadded(target, g_airlineCodes.text(key.airline), 3);
    // ",XYZ" for an operating airline, padded as one field
    if (key.secondAirline != 0)
    {
        const std::string_view second = g_airlineCodes.text(key.secondAirline);
        std::array<char, 16> joined{};
        if (second.size() < joined.size())
        {
            joined[0] = ',';
            std::copy(second.begin(), second.end(), joined.begin() + 1);
            lf_appendPadded(target, std::string_view(joined.data(), second.size() + 1), 4);
        }
        else
        {
            lf_appendPadded(target, fmt::format(",{}", second), 4);
        }
    }
    else
    {
        target.append(4, ' ');
    }
    target += ' ';
    lf_appendPadded(target, g_modelCodes.text(key.model), 4);
    target += key.mark != 0 ? '.' : ' ';
    target.append(key.cargo != 0 ? "(C)" : "   ");
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
    target += ' ';
    lf_appendPadded(target, flight.callsign, 8);
    target += ' ';
    lf_appendPadded(target, flight.registration, 12);
    target += ' ';
    if (flight.origin.empty() && flight.destination.empty())
    {
        target.append(8, ' ');
    }
    else
    {
        lf_appendPadded(target, flight.origin.text(), 3);
        target.append("->");
        lf_appendPadded(target, flight.destination.text(), 3);
    }
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
