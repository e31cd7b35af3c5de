// Corrections of wrongly written aircraft type designators, from the model
// database's "fixes" section.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ovr
{

// The right designator for a known wrong one; no value for any other text.
std::optional<std::string> gf_fixedModelName(std::string_view model);

} // namespace ovr
