#include "liveries/livery_data.h"

#include "core/code_pool.h"

namespace ovr
{

std::vector<LiveryData> g_liveries;
std::atomic<std::int64_t> g_liveriesCount{0};

// Each next field decides only while the ids before it are the same. Equal
// ids are equal texts, so only differing ids compare their texts; equal texts
// under different ids (ids outside a pool read as the empty text) leave the
// pair unordered.
bool lf_liveryLess(const LiveryData& x, const LiveryData& y)
{
    if (x.key.airline != y.key.airline)
        return g_airlineCodes.text(x.key.airline) < g_airlineCodes.text(y.key.airline);
    if (x.key.secondAirline != y.key.secondAirline)
        return g_airlineCodes.text(x.key.secondAirline) < g_airlineCodes.text(y.key.secondAirline);
    if (x.key.model != y.key.model)
        return g_modelCodes.text(x.key.model) < g_modelCodes.text(y.key.model);
    return x.title < y.title;
}

bool lf_liveryIncomplete(const LiveryData& livery)
{
    return livery.key.airline == 0 || livery.key.model == 0;
}

} // namespace ovr
