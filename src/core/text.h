// The small text functions that the readers share: trimming, comma lists,
// case-blind comparison and number texts. All text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovr
{

// The characters gf_trim removes: blank, tab, LF and CR.
inline constexpr std::string_view kTrimSet = " \t\n\r";

std::string gf_trim(std::string_view text);

// Text from outside (a reply, a file, an exception's message) as it may go
// into the log or a panel: its first `limit` bytes, control characters
// written as \xNN, and "..." when it was cut.
inline constexpr std::size_t kShownTextLimit = 200;
std::string gf_shownText(std::string_view text, std::size_t limit = kShownTextLimit);

// Every piece between commas, trimmed; empty pieces kept ("a, b," gives a, b
// and an empty item); the empty text gives no item.
std::vector<std::string> lf_splitComma(std::string_view text);
// Every piece between commas, trimmed; pieces empty after trimming dropped.
std::vector<std::string> gf_splitCommaList(std::string_view text);
// Every piece trimmed (empty ones kept), sorted byte-wise, duplicates removed.
std::vector<std::string> gf_splitTrimSorted(std::string_view text);
// A list holding blanks, tabs or line ends becomes its trimmed, non-empty
// pieces joined by ','; any other text is left as it is.
void gf_normaliseCommaList(std::string& text);

// b upper-cased (C locale) equals a, which the caller gives in upper case.
bool gf_upperEquals(std::string_view upper, std::string_view text);
// a list entry `a` followed by one '*' equals b.
bool gf_matchesWildcard(std::string_view a, std::string_view b);

// A simulator object id as shown everywhere: decimal for MSFS 2020, lower-case
// hexadecimal for MSFS 2024.
std::string gf_idToText(std::uint32_t id);
// part * 100 / whole rounded half away from zero; 0 when whole is below 1.
// Throws gsl::narrowing_error when the result does not fit 32 bits.
std::int32_t gf_percentOf(std::int64_t part, std::int64_t whole);
// "2" for 2.0, "2.5" for 2.5.
std::string gf_formatOneDecimal(float x);

// The plural suffix of a count: "s" unless the count is 1 (or negative).
std::string_view gf_plural(std::int32_t n);
std::string_view gf_plural64(std::int64_t n);
std::string_view gf_pluralU64(std::uint64_t n);

} // namespace ovr
