#include "liveries/similar_models.h"

#include <set>
#include <string>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/log.h"
#include "core/text.h"
#include "liveries/livery_tables.h"
#include "liveries/model_database.h"

namespace ovr
{

std::unordered_map<std::uint16_t, ModelIds, IdHash> g_similarModels;
std::unordered_map<std::uint16_t, std::unordered_map<std::uint16_t, ModelIds, IdHash>, IdHash>
    g_airlineSubstitutes;

namespace
{

bool lf_hasLiveries(std::uint16_t model)
{
    return g_modelTitles[kPassenger].contains(model) || g_modelTitles[kCargo].contains(model);
}

} // namespace

// Each member of a group followed by the other members that have liveries;
// the texts in ascending order decide which group a type in several groups
// takes (the first), since a key is inserted only once.
void gf_buildSimilarModels()
{
    std::set<std::string> texts;
    for (const std::vector<std::string>& group : g_similarTypeGroups)
    {
        for (std::size_t i = 0; i < group.size(); ++i)
        {
            std::string text = group[i];
            for (std::size_t j = 0; j < group.size(); ++j)
            {
                if (j != i && lf_hasLiveries(gf_modelId(group[j])))
                    text += ',' + group[j];
            }
            if (text.find(',') != std::string::npos)
                texts.insert(std::move(text));
        }
    }
    for (const std::string& text : texts)
    {
        std::vector<std::string> pieces = lf_splitComma(text);
        ModelIds similar;
        similar.reserve(pieces.size() - 1);
        for (std::size_t i = 1; i < pieces.size(); ++i)
            similar.push_back(gf_modelId(pieces[i]));
        g_similarModels.try_emplace(gf_modelId(pieces.front()), std::move(similar));
    }

    for (const auto& [airline, models] : g_airlineModels)
    {
        std::unordered_map<std::uint16_t, ModelIds, IdHash> substitutes;
        for (const auto& [model, similar] : g_similarModels)
        {
            if (models.contains(model))
                continue;
            ModelIds flown;
            for (std::uint16_t other : similar)
            {
                if (models.contains(other))
                    flown.push_back(other);
            }
            if (!flown.empty())
                substitutes.emplace(model, std::move(flown));
        }
        if (!substitutes.empty())
            g_airlineSubstitutes.emplace(airline, std::move(substitutes));
    }
    gf_log(fmt::format("{:5} similar model definitions", g_similarModels.size()));
}

void lf_clearSimilarModels()
{
    g_similarModels.clear();
    g_airlineSubstitutes.clear();
}

} // namespace ovr
