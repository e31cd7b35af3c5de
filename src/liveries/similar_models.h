// Similar types that stand in when no livery exists for an aircraft's own
// type: per type, the similar types that have any livery; per airline, the
// similar types that this airline has liveries for while it has none of the
// type itself. Built from the model database's similar-type groups as the
// last step of the livery tables' build.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "liveries/id_hash.h"

namespace ovr
{

using ModelIds = std::vector<std::uint16_t>;

// type id -> similar type ids with liveries, in their group's order.
extern std::unordered_map<std::uint16_t, ModelIds, IdHash> g_similarModels;
// airline id -> type id -> substitute type ids.
extern std::unordered_map<std::uint16_t, std::unordered_map<std::uint16_t, ModelIds, IdHash>, IdHash>
    g_airlineSubstitutes;

// Fills both tables from the livery tables (which must be built).
void gf_buildSimilarModels();
// Empties both tables, so that a rebuild never keeps lists of old liveries.
void lf_clearSimilarModels();

} // namespace ovr
