#include "liveries/model_lookups.h"

#include "core/code_pool.h"
#include "liveries/model_database.h"

namespace ovr
{

std::string_view gf_categoryName(int category)
{
    static constexpr std::string_view kNames[] = {"Light", "Buzjets",  "Large",
                                                  "Heavy", "HighPerf", "Rotorcraft"};
    return category >= 0 && category < 6 ? kNames[category] : std::string_view{};
}

// A type in several class sets takes the first of this order: large wins over
// heavy, heavy over business jet, and so on.
int gf_categoryOfModel(std::uint16_t model)
{
    if (g_largeModels.contains(model))
        return kCategoryLarge;
    if (g_heavyModels.contains(model))
        return kCategoryHeavy;
    if (g_buzjetModels.contains(model))
        return kCategoryBuzjet;
    if (g_rotorcraftModels.contains(model))
        return kCategoryRotorcraft;
    if (g_highPerformanceModels.contains(model))
        return kCategoryHighPerformance;
    return kCategoryLight;
}

int gf_categoryOfModelName(std::string_view model)
{
    return gf_categoryOfModel(gf_modelId(model));
}

bool gf_isKnownModel(std::string_view model)
{
    return !model.empty() && g_knownModels.contains(model);
}

bool gf_isKnownAirline(std::string_view airline)
{
    return !airline.empty() && g_icaoAirlines.contains(airline);
}

// Types interned after the database was read have no wingspan; their ids lie
// beyond the table and read as 0.0 like any other type without one.
double gf_wingspanOf(std::uint16_t model)
{
    return model < g_wingspanTable.size() ? g_wingspanTable[model] : 0.0;
}

} // namespace ovr
