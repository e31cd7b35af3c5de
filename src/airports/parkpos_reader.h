// The stands of an airport parking file: one Stand per parkpos, with the
// options of its opt children, appended to a stand list.
#pragma once

#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "airports/stand_list.h"

namespace ovr
{

// Reads every parkpos of the document's parkpositions in order. A parkpos
// without "id" throws UserErrorException 93, an id that is empty after
// trimming 93, an id seen before 94; the stands read before stay in the
// list. Options get `fromFile`.
void gf_readParkpositions(const pugi::xml_document& document, StandList& stands, std::uint32_t fromFile);

// Reads one stand and appends it; false (with a warning) when it has no
// position (latitude and longitude both exactly 0). Options without half
// hours or with a day outside 1..7 are left out; the others are numbered
// 1, 2, 3 ... in file order. The marks of a stand made or changed by hand
// ("manual", "radius_change", "cargo_change") are kept.
bool lf_readParkpos(const std::string& name, pugi::xml_node parkpos, std::uint32_t fromFile,
                    StandList& stands);

} // namespace ovr
