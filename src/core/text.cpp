#include "core/text.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>
#include <gsl/gsl>

#include "core/globals.h"

namespace ovr
{

namespace
{

// Calls f with each piece between commas (the empty text has no piece).
template <class F> void lf_forEachCommaPiece(std::string_view text, F&& f)
{
    if (text.empty())
        return;
    std::size_t start = 0;
    while (true)
    {
        std::size_t comma = text.find(',', start);
        f(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return;
        start = comma + 1;
    }
}

} // namespace

std::string gf_shownText(std::string_view text, std::size_t limit)
{
    const std::string_view kept = text.substr(0, limit);
    std::string shown;
    shown.reserve(kept.size() + 3);
    for (const char c : kept)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
        {
            constexpr std::string_view kHex = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        }
        else
        {
            shown += c;
        }
    }
    if (text.size() > limit)
        shown += "...";
    return shown;
}

std::string gf_trim(std::string_view text)
{
    std::size_t first = text.find_first_not_of(kTrimSet);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(kTrimSet);
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> lf_splitComma(std::string_view text)
{
    std::vector<std::string> items;
    lf_forEachCommaPiece(text, [&](std::string_view piece) { items.push_back(gf_trim(piece)); });
    return items;
}

std::vector<std::string> gf_splitCommaList(std::string_view text)
{
    std::vector<std::string> items;
    lf_forEachCommaPiece(text,
                         [&](std::string_view piece)
                         {
                             std::string item = gf_trim(piece);
                             if (!item.empty())
                                 items.push_back(std::move(item));
                         });
    return items;
}

std::vector<std::string> gf_splitTrimSorted(std::string_view text)
{
    std::vector<std::string> items;
    lf_forEachCommaPiece(text, [&](std::string_view piece) { items.push_back(gf_trim(piece)); });
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

void gf_normaliseCommaList(std::string& text)
{
    if (text.find_first_of(kTrimSet) == std::string::npos)
        return;
    std::string joined;
    for (const std::string& item : gf_splitCommaList(text))
    {
        if (!joined.empty())
            joined += ',';
        joined += item;
    }
    text = std::move(joined);
}

bool gf_upperEquals(std::string_view upper, std::string_view text)
{
    return std::equal(upper.begin(), upper.end(), text.begin(), text.end(),
                      [](char a, char b)
                      { return a == ((b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : b); });
}

bool gf_matchesWildcard(std::string_view a, std::string_view b)
{
    return b.size() == a.size() + 1 && b.substr(0, a.size()) == a && b.back() == '*';
}

std::string gf_idToText(std::uint32_t id)
{
    if (g_simIs2020.load() != 0)
        return fmt::format("{}", id);
    return fmt::format("{:x}", id);
}

std::int32_t gf_percentOf(std::int64_t part, std::int64_t whole)
{
    if (whole < 1)
        return 0;
    double percent = std::round(static_cast<double>(part) * 100.0 / static_cast<double>(whole));
    if (!(percent >= -2147483648.0 && percent <= 2147483647.0))
        throw gsl::narrowing_error{};
    return static_cast<std::int32_t>(percent);
}

std::string gf_formatOneDecimal(float x)
{
    if (std::fmod(x, 1.0f) == 0.0f)
        return fmt::format("{:.0f}", x);
    return fmt::format("{:.1f}", x);
}

std::string_view gf_plural(std::int32_t n)
{
    return gf_plural64(n);
}

std::string_view gf_plural64(std::int64_t n)
{
    return n == 1 || n < 0 ? "" : "s";
}

std::string_view gf_pluralU64(std::uint64_t n)
{
    return n == 1 ? "" : "s";
}

} // namespace ovr
