#include "core/version_data.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <string>

#include <fmt/format.h>
#include <gsl/gsl>
#include <nlohmann/json.hpp>

#include "core/log.h"
#include "core/text.h"

namespace ovr
{

namespace
{

struct VersionNumbers
{
    std::string_view major, minor, patch;
};

// The whole text matches (\d+)\.(\d+)\.(\d+). Matched by hand: the standard
// regex engine recurses per character and a long text could exhaust the
// stack.
std::optional<VersionNumbers> lf_matchDottedVersion(std::string_view text)
{
    std::string_view groups[3];
    std::size_t pos = 0;
    for (int g = 0; g < 3; ++g)
    {
        if (g > 0)
        {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        std::size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos;
        if (pos == start)
            return std::nullopt;
        groups[g] = text.substr(start, pos - start);
    }
    if (pos != text.size())
        return std::nullopt;
    return VersionNumbers{groups[0], groups[1], groups[2]};
}

std::int32_t lf_toInt(std::string_view digits)
{
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        throw std::runtime_error("parse error in version string");
    return value;
}

// The member's value when it is an integer; 0 when it is missing or of
// another kind. An integer beyond 32 bits is a failure, not a wrapped value.
std::int32_t lf_jsonIntMember(const nlohmann::json& object, const char* key)
{
    auto it = object.find(key);
    if (it == object.end())
        return 0;
    if (it->is_number_unsigned())
        return gsl::narrow<std::int32_t>(it->get<std::uint64_t>());
    if (it->is_number_integer())
        return gsl::narrow<std::int32_t>(it->get<std::int64_t>());
    return 0;
}

} // namespace

VersionData::VersionData(std::string_view text)
{
    if (text.empty())
        return;
    try
    {
        if (auto numbers = lf_matchDottedVersion(text))
        {
            std::int32_t a = lf_toInt(numbers->major);
            std::int32_t b = lf_toInt(numbers->minor);
            std::int32_t c = lf_toInt(numbers->patch);
            major = a;
            minor = b;
            patch = c;
            return;
        }
        std::string trimmed = gf_trim(text);
        if (trimmed.empty() || trimmed.front() != '{')
            throw std::runtime_error("invalid version format");
        nlohmann::json json = nlohmann::json::parse(trimmed);
        if (!json.is_object())
            throw std::runtime_error("invalid version format");
        std::int32_t a = lf_jsonIntMember(json, "major");
        std::int32_t b = lf_jsonIntMember(json, "minor");
        std::int32_t c = lf_jsonIntMember(json, "patch");
        major = a;
        minor = b;
        patch = c;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
    }
}

} // namespace ovr
