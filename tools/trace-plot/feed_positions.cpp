#include "feed_positions.h"

#include <algorithm>
#include <map>

#include <nlohmann/json.hpp>

namespace ovr::traceplot
{

std::vector<FeedAircraft> readFeedPositions(std::istream& in)
{
    std::vector<FeedAircraft> aircraft;
    std::map<std::string, std::size_t> byKey;
    std::string line;
    while (std::getline(in, line))
    {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_discarded() || !j.is_object() || !j.contains("key") || !j.at("key").is_string())
            continue;
        const auto number = [&j](const char* name) -> const nlohmann::json*
        {
            const auto it = j.find(name);
            return it != j.end() && it->is_number() ? &*it : nullptr;
        };
        const nlohmann::json* dataTime = number("data_time");
        const nlohmann::json* lat = number("lat");
        const nlohmann::json* lon = number("lon");
        if (dataTime == nullptr || lat == nullptr || lon == nullptr)
            continue;
        const std::string key = j.at("key").get<std::string>();
        auto at = byKey.find(key);
        if (at == byKey.end())
        {
            aircraft.push_back(FeedAircraft{key, {}, {}, {}});
            at = byKey.emplace(key, aircraft.size() - 1).first;
        }
        FeedAircraft& a = aircraft[at->second];
        if (const auto it = j.find("callsign"); it != j.end() && it->is_string() && !it->get<std::string>().empty())
            a.callsign = it->get<std::string>();
        if (const auto it = j.find("registration");
            it != j.end() && it->is_string() && !it->get<std::string>().empty())
            a.registration = it->get<std::string>();
        const nlohmann::json* alt = number("alt_ft");
        const auto onGround = j.find("on_ground");
        a.positions.push_back(FeedPosition{dataTime->get<double>(), lat->get<double>(), lon->get<double>(),
                                           alt != nullptr ? alt->get<double>() : 0.0,
                                           onGround != j.end() && onGround->is_boolean() && onGround->get<bool>()});
    }
    for (FeedAircraft& a : aircraft)
    {
        std::stable_sort(a.positions.begin(), a.positions.end(),
                         [](const FeedPosition& x, const FeedPosition& y) { return x.dataTime < y.dataTime; });
        a.positions.erase(std::unique(a.positions.begin(), a.positions.end(),
                                      [](const FeedPosition& x, const FeedPosition& y)
                                      { return x.dataTime == y.dataTime; }),
                          a.positions.end());
    }
    return aircraft;
}

} // namespace ovr::traceplot
