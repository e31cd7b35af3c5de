// The simulator compares names (variables, units, events, titles, ICAO codes)
// without regard to ASCII case.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace ovr::sim::detail
{

inline char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

inline std::string lowerCase(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

} // namespace ovr::sim::detail
