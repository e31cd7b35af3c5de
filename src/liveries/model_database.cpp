#include "liveries/model_database.h"

#include "liveries/dbase_reader_detail.h"
#include "liveries/prefix_alternatives.h"

namespace ovr
{

TextSet g_knownModels;
ModelIdSet g_heavyModels;
ModelIdSet g_largeModels;
ModelIdSet g_buzjetModels;
ModelIdSet g_highPerformanceModels;
ModelIdSet g_rotorcraftModels;
TextGroups g_similarTypeGroups;
TextGroups g_prefixGroups;
TextSet g_icaoAirlines;
TextGroups g_publisherGroups;
std::map<std::string, double, std::less<>> g_halfSpans;
std::vector<double> g_wingspanTable;
double g_maxWingSpan = 0.0;
std::map<std::string, std::string, std::less<>> g_modelFixes;
TextSet g_simaddons20;
TextSet g_simaddons24;
std::vector<ThirdPartyAirports> g_thirdParties20;
std::vector<ThirdPartyAirports> g_thirdParties24;
std::vector<DbaseRecord> g_dbase;
std::vector<std::string> g_dbaseKeywords;
AirportsByPublisher g_thirdPartyIndex20;
AirportsByPublisher g_thirdPartyIndex24;

std::optional<std::string> gf_findDbaseRecord(std::string_view text)
{
    for (const std::string& keyword : g_dbaseKeywords)
    {
        if (keyword.size() <= text.size() && text.find(keyword) != std::string_view::npos)
            return keyword;
    }
    return std::nullopt;
}

namespace detail
{

void clearDbase()
{
    g_knownModels.clear();
    g_heavyModels.clear();
    g_largeModels.clear();
    g_buzjetModels.clear();
    g_highPerformanceModels.clear();
    g_rotorcraftModels.clear();
    g_similarTypeGroups.clear();
    g_prefixGroups.clear();
    g_prefixAlternatives.clear();
    g_icaoAirlines.clear();
    g_publisherGroups.clear();
    g_halfSpans.clear();
    g_wingspanTable.clear();
    g_maxWingSpan = 0.0;
    g_modelFixes.clear();
    g_simaddons20.clear();
    g_simaddons24.clear();
    g_thirdParties20.clear();
    g_thirdParties24.clear();
    g_dbase.clear();
    g_dbaseKeywords.clear();
    g_thirdPartyIndex20.clear();
    g_thirdPartyIndex24.clear();
}

} // namespace detail

} // namespace ovr
