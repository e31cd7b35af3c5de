#include "liveries/model_fixes.h"

#include "liveries/model_database.h"

namespace ovr
{

std::optional<std::string> gf_fixedModelName(std::string_view model)
{
    auto it = g_modelFixes.find(model);
    if (it == g_modelFixes.end())
        return std::nullopt;
    return it->second;
}

} // namespace ovr
