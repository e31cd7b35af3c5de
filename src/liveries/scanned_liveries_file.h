// Reads output/LiveriesScanned.xml, the result of the last liveries scan, back
// into g_liveries. The file is the only link between the scan and the tables:
// a start-up without a scan works from the file of the last one.
//
//   <root>
//     <meta>...</meta>                      read and ignored; may be missing
//     <liveries>
//       <l a="DLH" m="A320" t="title" r="D-AIZB"/>
//       <l a="DAL" o="SKW" m="CRJ9" c="true" t="title"/>
//     </liveries>
//   </root>
//
// a (airline), m (type) and t (title) are required, o (operating airline), c
// (cargo) and r (registration) optional; elements of any name under liveries
// are liveries.
#pragma once

#include <filesystem>

namespace ovr
{

// Empties g_liveries, reads the file into it, sorts it (lf_liveryLess) and
// logs the count. Throws UserErrorException 51 when the file does not load,
// 52 when root has no liveries, 533 when no livery was read, 999 when a
// livery lacks a required attribute; g_liveries then holds what was read.
void lf_readScannedLiveries();

namespace detail
{
void readScannedLiveriesFrom(const std::filesystem::path& file);
} // namespace detail

} // namespace ovr
