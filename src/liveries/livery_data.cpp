#include "liveries/livery_data.h"

#include "core/code_pool.h"

namespace ovr
{

std::vector<LiveryData> g_liveries;
std::atomic<std::int64_t> g_liveriesCount{0};

// Each next field decides only while the ids before it are the same; equal
// texts under different ids (ids outside a pool read as the empty text)
// leave the pair unordered.
bool lf_liveryLess(const LiveryData& x, const LiveryData& y)
{
    const std::string& xAirline = g_airlineCodes.text(x.key.airline);
    const std::string& yAirline = g_airlineCodes.text(y.key.airline);
    if (xAirline != yAirline)
        return xAirline < yAirline;
    if (x.key.airline != y.key.airline)
        return false;

    const std::string& xOperator = g_airlineCodes.text(x.key.secondAirline);
    const std::string& yOperator = g_airlineCodes.text(y.key.secondAirline);
    if (xOperator != yOperator)
        return xOperator < yOperator;
    if (x.key.secondAirline != y.key.secondAirline)
        return false;

    const std::string& xModel = g_modelCodes.text(x.key.model);
    const std::string& yModel = g_modelCodes.text(y.key.model);
    if (xModel != yModel)
        return xModel < yModel;
    if (x.key.model != y.key.model)
        return false;

    return x.title < y.title;
}

bool lf_liveryIncomplete(const LiveryData& livery)
{
    return livery.key.airline == 0 || livery.key.model == 0;
}

} // namespace ovr
