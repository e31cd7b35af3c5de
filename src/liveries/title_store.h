// The one home of every livery title. The livery tables, the registration
// tables, aircraft records, creation requests and remembered liveries hold
// views of titles, and the tables are emptied and rebuilt while such records
// may still be alive (a restart in the same process). So a title, once
// stored, stays for the life of the process: a rebuild finds the same text
// again and hands out the same view, and no view ever dangles. The store
// grows only by titles it has not seen, so its size is bounded by the
// distinct titles of the scans of one run.
//
// Each title also carries the number of the last build of the tables that
// stored it, so that the store is the tables' title index as well: a title
// belongs to the current tables when its number is the current build's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ovr
{

// The stored copy of the title, stored now when new, marked as a title of
// `build`. Any thread.
std::string_view gf_storeTitle(std::string_view title, std::uint32_t build);
// The stored copy of the title when it is marked as a title of `build`; an
// empty view otherwise. Any thread.
std::string_view gf_findStoredTitle(std::string_view title, std::uint32_t build);
// The same for many titles at once, each view replaced by its result: one
// lock for all, and the table's memory for the next titles asked for while
// one is looked up (what a table build needs, tens of thousands at a time).
void gf_storeTitles(std::vector<std::string_view>& titles, std::uint32_t build);
void gf_findStoredTitles(std::vector<std::string_view>& titles, std::uint32_t build);
// The number of distinct titles stored.
std::size_t gf_storedTitleCount();

} // namespace ovr
