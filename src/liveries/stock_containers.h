// The simulator's stock aircraft that AI liveries may use as their base
// container, with the ICAO type designator each one stands for. The liveries
// scan gives such a livery the type of its container.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/fnv1a.h"

namespace ovr
{

using StockModelTypes = std::unordered_map<std::string, std::string, Fnv1aHash, std::equal_to<>>;

// Container folder name (exact, case-sensitive) -> type designator. Built
// during static initialisation and never changed, so the scan workers read it
// without a lock.
extern const StockModelTypes g_stockModelTypes;

// The type of a stock container; no value for a name that is not in the table.
std::optional<std::string_view> gf_stockModelType(std::string_view containerName);

} // namespace ovr
