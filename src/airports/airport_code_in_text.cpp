#include "airports/airport_list.h"
#include "airports/supported_airports.h"

// GCC 12 reports false "may be used uninitialized" warnings inside the
// standard library's regex automaton when it is optimised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include <string>

namespace ovr
{

std::optional<IcaoCode> gf_findAirportCodeInText(std::string_view text)
{
    static const std::regex kToken("(?:^|[^A-Z0-9])([A-Z0-9]{4})(?=$|[^A-Z0-9])");

    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    std::optional<IcaoCode> lastSupported;
    std::smatch match;
    while (std::regex_search(upper, match, kToken))
    {
        const IcaoCode token(match.str(1));
        if (g_supportedAirports.contains(token))
        {
            lastSupported = token;
            if (gf_isKnownAirport(token))
                return token;
        }
        upper.erase(static_cast<std::size_t>(match.position(1)), 4);
    }
    return lastSupported;
}

} // namespace ovr
