// The registration tables: registration -> livery title, merged at start-up
// from three sources in rising strength: the ATC ids of the scanned liveries
// (in-line; the first livery in list order keeps a registration), the shipped
// AIG regcode list, and the user's own lists in input/my_regcodes (each later
// source replaces what an earlier one said). Special entries bind liveries to
// their registrations. Reports: output/errors/InlineRegcodes.txt (clashes of
// in-line registrations) and output/info/OfflineRegcodes.txt.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/fnv1a.h"
#include "liveries/flat_text_map.h"
#include "liveries/regcode_lists.h"

namespace ovr
{

// registration -> title view (of the title store). The table keeps the text of
// its registrations until it is cleared.
extern FlatTextMap<std::string_view, true> g_regcodeTitles;
// title view -> registration, from the scanned liveries only. Every
// registration here is one of g_regcodeTitles (a key is never removed), and
// the value is that key's view: the two tables are cleared together.
extern FlatTextMap<std::string_view, false> g_titleRegistrations;
// Every registration of a special entry, and those of special entries that
// list exactly one.
extern std::set<std::string, std::less<>> g_specialRegcodes;
extern std::set<std::string, std::less<>> g_uniqueRegcodes;
// The titles of special entries, one per entry: random choice avoids them.
extern std::vector<std::string_view> g_boundTitles;
// The same titles as a set: whether a title is bound is asked for every
// random pick, so it is one hash lookup.
extern std::unordered_set<std::string_view, Fnv1aHash, std::equal_to<>> g_boundTitleSet;
// The lines of output/info/OfflineRegcodes.txt.
extern std::vector<std::string> g_offlineRegcodeMessages;

// The registrations of the scanned liveries; clashes go to InlineRegcodes.txt.
void lf_processInlineRegcodes();
// The AIG list and the user's lists; the report to OfflineRegcodes.txt.
void lf_processOfflineRegcodes();
// Merges one source's entries whose titles are installed.
void lf_mergeRegcodeEntries(const std::vector<RegcodeEntry>& entries);

// Room for 36000 registrations.
void lf_reserveRegcodeTitles();
void lf_reserveBoundTitles();
// Empties every table above (capacity kept).
void lf_clearRegcodeTables();

} // namespace ovr
