#include "airports/learned_stands.h"

#include <utility>

#include "airports/stand_options.h"

namespace ovr
{

std::vector<Stand> gf_learnedStands(std::span<const Stand> stands, bool handmade)
{
    std::vector<Stand> kept;
    for (const Stand& stand : stands)
    {
        Stand copy = stand;
        if (!handmade)
        {
            std::erase_if(copy.options, [](const StandOption& o) { return o.fromFile != 0; });
        }
        gf_renumberOptions(copy.options);
        if (handmade || copy.manual != 0 || copy.radiusChanged != 0 || copy.cargoChanged != 0 ||
            !copy.options.empty())
        {
            kept.push_back(std::move(copy));
        }
    }
    return kept;
}

} // namespace ovr
