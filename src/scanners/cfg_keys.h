// Line-level readers of aircraft.cfg files: the [fltsim.N] header and the
// keys the liveries scan needs. Pure functions of the line (base_container
// also reads the stock container table); any number of scan workers call
// them at once.
#pragma once

#include <string>
#include <string_view>

namespace ovr
{

// The keys the scan reads, matched case-blind.
enum class CfgKey
{
    title,
    texture,
    baseContainer,
    typeDesignator,
    atcId,
    icaoAirline,
    parkingTypes,
};

// The value of "<blanks>key<blanks>=<blanks>value<blanks>" when the whole line
// has that form: never empty, never begins or ends with white space; the
// empty text otherwise.
std::string lf_keyValue(std::string_view line, CfgKey key);

// A value holding a double quote becomes the text between the first quote
// and the next one (empty when there is no second quote).
std::string lf_unquote(std::string value);

// The number of a [fltsim.N] header as text (leading zeros kept), "10000" for
// a line holding "[fltsim." or "[FLTSIM." in any other form, empty for a
// comment and any other line.
std::string lf_fltsimNumber(std::string_view line);

// A non-empty value is stored in `out` and true returned; else `out` stays.
bool lf_readTitle(std::string_view line, std::string& out);
bool lf_readTexture(std::string_view line, std::string& out);
bool lf_readParkingTypes(std::string_view line, std::string& out);
// As above, but a value of fewer than 5 bytes counts as no atc_id.
bool lf_readAtcId(std::string_view line, std::string& out);
// True for an icao_airline line: `out` becomes "ZZZ" for an empty value or
// exactly "ZZZZ", else the value upper-cased.
bool lf_readIcaoAirline(std::string_view line, std::string& out);
// The type code (first 4 characters, upper-cased) or the empty text.
std::string lf_readTypeDesignator(std::string_view line);
// The type of a stock base container ("..\<name>"), upper-cased, or empty.
std::string lf_readBaseContainer(std::string_view line);
// Plain case-sensitive substring tests on the whole line.
bool lf_hasAtcIdKey(std::string_view line);
bool lf_hasParkingTypesKey(std::string_view line);

// Reads a signed 32-bit decimal number: optional '-', at least one digit,
// stops at the first non-digit; false beyond the 32-bit range.
bool lf_readSectionNumber(std::string_view text, long long& value);

// ASCII upper case of every byte, through unsigned char.
std::string lf_upper(std::string_view text);

} // namespace ovr
