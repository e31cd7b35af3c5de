#include "liveries/prefix_alternatives.h"

#include <utility>

#include "core/random.h"

namespace ovr
{

PrefixAlternatives g_prefixAlternatives;

const std::vector<std::string>& gf_prefixAlternatives(std::string_view prefix)
{
    static const std::vector<std::string> none;
    auto it = g_prefixAlternatives.find(prefix);
    if (it == g_prefixAlternatives.end())
        return none;
    // Fisher-Yates on the calling thread's engine: every order equally likely.
    std::vector<std::string>& alternatives = it->second;
    for (std::size_t i = alternatives.size(); i > 1; --i)
        std::swap(alternatives[i - 1], alternatives[gf_randomIndex(i)]);
    return alternatives;
}

} // namespace ovr
