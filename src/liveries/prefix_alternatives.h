// Equivalent registration prefixes (for example D-, HB- and OE-): when no
// livery of an aircraft's own prefix exists, the livery matching tries those
// of the other prefixes of its group.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fnv1a.h"

namespace ovr
{

using PrefixAlternatives =
    std::unordered_map<std::string, std::vector<std::string>, Fnv1aHash, std::equal_to<>>;

// Prefix -> the other prefixes of its group, in the group's sorted order
// (built by the model-database reader from g_prefixGroups).
extern PrefixAlternatives g_prefixAlternatives;

// The other prefixes of the prefix's group, freshly shuffled; an empty list
// when the prefix has no group. Reorders the stored list: call it from one
// thread only (the livery matching on the main loop).
const std::vector<std::string>& gf_prefixAlternatives(std::string_view prefix);

} // namespace ovr
