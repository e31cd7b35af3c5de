#include "liveries/publishers.h"

#include <algorithm>

#include "core/text_convert.h"
#include "liveries/model_database.h"

namespace ovr
{
namespace
{

// C-locale folding of A-Z only, so UTF-8 bytes are never changed.
char lf_asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool lf_matchesNoCase(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return true;
    if (needle.size() > text.size())
        return false;
    auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return lf_asciiLower(a) == lf_asciiLower(b); });
    return it != text.end();
}

bool lf_matchesNoCase(const std::filesystem::path& path, std::string_view needle)
{
    const std::string text = gf_pathToUtf8(path);
    return lf_matchesNoCase(std::string_view(text), needle);
}

std::optional<std::string> gf_findPublisher(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    for (const auto& group : g_publisherGroups)
    {
        for (const std::string& name : group)
        {
            if (text.find(name) != std::string_view::npos || lf_matchesNoCase(text, name))
                return group.front();
        }
    }
    return std::nullopt;
}

bool gf_isThirdParty(bool sim2020, std::string_view publisher, std::string_view icao)
{
    const AirportsByPublisher& index = sim2020 ? g_thirdPartyIndex20 : g_thirdPartyIndex24;
    auto it = index.find(publisher);
    return it != index.end() && it->second.contains(icao);
}

} // namespace ovr
