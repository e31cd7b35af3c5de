#include "airports/airport_list.h"
#include "airports/supported_airports.h"

#include <string>

namespace ovr
{

// The candidates are the runs of exactly four letters or digits (case-blind),
// read once from left to right.
std::optional<IcaoCode> gf_findAirportCodeInText(std::string_view text)
{
    const auto alnum = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
    std::optional<IcaoCode> lastSupported;
    std::size_t i = 0;
    while (i < text.size())
    {
        if (!alnum(text[i]))
        {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && alnum(text[i]))
            ++i;
        if (i - start != 4)
            continue;
        std::string code(text.substr(start, 4));
        for (char& c : code)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        const IcaoCode token(code);
        if (g_supportedAirports.contains(token))
        {
            lastSupported = token;
            if (gf_isKnownAirport(token))
                return token;
        }
    }
    return lastSupported;
}

} // namespace ovr
