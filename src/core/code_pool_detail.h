// gf_modelId's rule on any pool and correction table, for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/code_pool.h"

namespace ovr::detail
{

std::uint16_t internModel(CodePool& pool, std::string_view text, ModelFixLookup fix);

} // namespace ovr::detail
