#include "liveries/model_fixes.h"

namespace ovr {

// Filled in by the model database reader.
std::optional<std::string> gf_fixedModelName(std::string_view)
{
    return std::nullopt;
}

} // namespace ovr
