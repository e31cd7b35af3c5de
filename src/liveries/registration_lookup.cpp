#include "liveries/registration_lookup.h"

#include <algorithm>

#include "liveries/model_database.h"

namespace ovr
{
namespace
{

const DbaseRecord* lf_findRecord(std::string_view registration)
{
    auto it = std::lower_bound(g_dbase.begin(), g_dbase.end(), registration,
                               [](const DbaseRecord& record, std::string_view r) { return record.r < r; });
    if (it == g_dbase.end() || it->r != registration)
        return nullptr;
    return &*it;
}

} // namespace

std::vector<std::string> gf_registrationVariants(std::string_view registration)
{
    std::vector<std::string> variants;
    if (registration.size() >= 5 && registration.front() != 'N' &&
        registration.find('-') == std::string_view::npos)
    {
        variants.reserve(3);
        std::string twoLetterPrefix(registration.substr(0, 2));
        twoLetterPrefix += '-';
        twoLetterPrefix += registration.substr(2);
        std::string oneLetterPrefix(registration.substr(0, 1));
        oneLetterPrefix += '-';
        oneLetterPrefix += registration.substr(1);
        variants.push_back(std::move(twoLetterPrefix));
        variants.push_back(std::move(oneLetterPrefix));
    }
    variants.emplace_back(registration);
    return variants;
}

std::optional<FlightKey> gf_findRegistrationKey(std::string_view registration)
{
    if (registration.empty())
        return std::nullopt;
    for (const std::string& variant : gf_registrationVariants(registration))
    {
        if (const DbaseRecord* record = lf_findRecord(variant))
            return record->key;
    }
    return std::nullopt;
}

} // namespace ovr
