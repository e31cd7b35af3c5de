#include "scanners/cfg_keys.h"

#include <cctype>
#include <cstdint>
#include <limits>

#include "liveries/stock_containers.h"

namespace ovr
{

namespace
{

// The white space of the key and header patterns.
bool lf_isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool lf_isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

char lf_lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string_view lf_keyName(CfgKey key)
{
    switch (key)
    {
    case CfgKey::title:
        return "title";
    case CfgKey::texture:
        return "texture";
    case CfgKey::baseContainer:
        return "base_container";
    case CfgKey::typeDesignator:
        return "icao_type_designator";
    case CfgKey::atcId:
        return "atc_id";
    case CfgKey::icaoAirline:
        return "icao_airline";
    case CfgKey::parkingTypes:
        return "atc_parking_types";
    }
    return {};
}

// `text` at `at` starts with `lowerWord` compared case-blind.
bool lf_startsWithBlind(std::string_view text, std::size_t at, std::string_view lowerWord)
{
    if (text.size() - at < lowerWord.size())
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
        if (lf_lower(text[at + i]) != lowerWord[i])
            return false;
    return true;
}

std::size_t lf_skipSpaces(std::string_view text, std::size_t at)
{
    while (at < text.size() && lf_isSpace(text[at]))
        ++at;
    return at;
}

// The header's digits when the line is "<ws>[fltsim.<digits>]<ws>".
std::string lf_headerDigits(std::string_view line)
{
    std::size_t at = lf_skipSpaces(line, 0);
    if (!lf_startsWithBlind(line, at, "[fltsim."))
        return {};
    at += 8;
    const std::size_t first = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9')
        ++at;
    if (at == first || at >= line.size() || line[at] != ']')
        return {};
    if (lf_skipSpaces(line, at + 1) != line.size())
        return {};
    return std::string(line.substr(first, at - first));
}

std::string lf_readValue(std::string_view line, CfgKey key)
{
    std::string value = lf_keyValue(line, key);
    if (value.empty())
        return value;
    return lf_unquote(std::move(value));
}

} // namespace

std::string lf_upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string lf_keyValue(std::string_view line, CfgKey key)
{
    const std::string_view name = lf_keyName(key);
    std::size_t at = lf_skipSpaces(line, 0);
    if (!lf_startsWithBlind(line, at, name))
        return {};
    at = lf_skipSpaces(line, at + name.size());
    if (at >= line.size() || line[at] != '=')
        return {};
    const std::size_t first = lf_skipSpaces(line, at + 1);
    std::size_t last = line.size();
    while (last > first && lf_isSpace(line[last - 1]))
        --last;
    if (last == first)
        return {};
    // The value is any text but a line end.
    for (std::size_t i = first; i < last; ++i)
        if (lf_isLineEnd(line[i]))
            return {};
    return std::string(line.substr(first, last - first));
}

std::string lf_unquote(std::string value)
{
    const std::size_t open = value.find('"');
    if (open == std::string::npos)
        return value;
    const std::size_t close = value.find('"', open + 1);
    if (close == std::string::npos)
        return {};
    return value.substr(open + 1, close - open - 1);
}

std::string lf_fltsimNumber(std::string_view line)
{
    if (line.size() >= 2 && line.starts_with("//"))
        return {};
    // Every header form below holds a '['; most lines hold none.
    if (line.find('[') == std::string_view::npos)
        return {};
    std::string digits = lf_headerDigits(line);
    if (!digits.empty())
        return digits;
    if (line.find("[fltsim.") != std::string_view::npos || line.find("[FLTSIM.") != std::string_view::npos)
        return "10000";
    return {};
}

bool lf_readTitle(std::string_view line, std::string& out)
{
    std::string value = lf_readValue(line, CfgKey::title);
    if (value.empty())
        return false;
    out = std::move(value);
    return true;
}

bool lf_readTexture(std::string_view line, std::string& out)
{
    std::string value = lf_readValue(line, CfgKey::texture);
    if (value.empty())
        return false;
    out = std::move(value);
    return true;
}

bool lf_readParkingTypes(std::string_view line, std::string& out)
{
    std::string value = lf_readValue(line, CfgKey::parkingTypes);
    if (value.empty())
        return false;
    out = std::move(value);
    return true;
}

bool lf_readAtcId(std::string_view line, std::string& out)
{
    std::string value = lf_readValue(line, CfgKey::atcId);
    if (value.size() < 5)
        return false;
    out = std::move(value);
    return true;
}

bool lf_readIcaoAirline(std::string_view line, std::string& out)
{
    std::string value = lf_keyValue(line, CfgKey::icaoAirline);
    if (value.empty())
        return false;
    value = lf_unquote(std::move(value));
    out = value.empty() || value == "ZZZZ" ? std::string("ZZZ") : lf_upper(value);
    return true;
}

std::string lf_readTypeDesignator(std::string_view line)
{
    std::string value = lf_readValue(line, CfgKey::typeDesignator);
    if (value.size() > 4)
        value.resize(4);
    return lf_upper(value);
}

std::string lf_readBaseContainer(std::string_view line)
{
    const std::string value = lf_readValue(line, CfgKey::baseContainer);
    if (value.size() <= 3)
        return {};
    const std::optional<std::string_view> type = gf_stockModelType(std::string_view(value).substr(3));
    if (!type)
        return {};
    return lf_upper(*type);
}

bool lf_hasAtcIdKey(std::string_view line)
{
    return line.find("atc_id=") != std::string_view::npos;
}

bool lf_hasParkingTypesKey(std::string_view line)
{
    return line.find("atc_parking_types") != std::string_view::npos;
}

bool lf_readSectionNumber(std::string_view text, long long& value)
{
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9')
        return false;
    long long number = 0;
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<std::int32_t>::min())
                                     : std::numeric_limits<std::int32_t>::max();
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    {
        number = number * 10 + (text[at] - '0');
        if (number > limit)
            return false;
    }
    value = negative ? -number : number;
    return true;
}

} // namespace ovr
