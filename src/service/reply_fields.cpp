#include "service/reply_fields.h"

#include "core/text.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <cmath>
#include <stdexcept>

namespace ovr
{

namespace
{

constexpr std::size_t kReplyHeadBytes = 256;

const nlohmann::json* lf_field(const nlohmann::json& reply, std::string_view key)
{
    if (!reply.is_object())
    {
        throw std::invalid_argument(fmt::format("reply is {}, not an object", reply.type_name()));
    }
    const auto it = reply.find(key);
    // The service sends null for a value it does not have.
    return it == reply.end() || it->is_null() ? nullptr : &*it;
}

} // namespace

std::int32_t gf_replyInt(const nlohmann::json& reply, std::string_view key, std::int32_t absent)
{
    const nlohmann::json* field = lf_field(reply, key);
    if (field == nullptr)
    {
        return absent;
    }
    if (field->is_number_integer())
    {
        return field->is_number_unsigned() ? gsl::narrow<std::int32_t>(field->get<std::uint64_t>())
                                           : gsl::narrow<std::int32_t>(field->get<std::int64_t>());
    }
    if (field->is_number_float())
    {
        const double whole = std::trunc(field->get<double>());
        if (!(whole >= -2147483648.0 && whole <= 2147483647.0))
        {
            throw gsl::narrowing_error{};
        }
        return static_cast<std::int32_t>(whole);
    }
    throw std::invalid_argument(fmt::format("\"{}\" must be a number, but is {}", key, field->type_name()));
}

std::string gf_replyText(const nlohmann::json& reply, std::string_view key)
{
    const nlohmann::json* field = lf_field(reply, key);
    if (field == nullptr)
    {
        return {};
    }
    if (!field->is_string())
    {
        throw std::invalid_argument(
            fmt::format("\"{}\" must be a string, but is {}", key, field->type_name()));
    }
    return field->get<std::string>();
}

std::string gf_replyTextIfText(const nlohmann::json& reply, std::string_view key)
{
    if (!reply.is_object())
    {
        return {};
    }
    const auto it = reply.find(key);
    return it != reply.end() && it->is_string() ? it->get<std::string>() : std::string{};
}

std::optional<std::int64_t> gf_replyIntegerIfInteger(const nlohmann::json& reply, std::string_view key)
{
    if (!reply.is_object())
    {
        return std::nullopt;
    }
    const auto it = reply.find(key);
    if (it == reply.end() || !it->is_number_integer())
    {
        return std::nullopt;
    }
    if (it->is_number_unsigned() && it->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))
    {
        return std::nullopt;
    }
    return it->get<std::int64_t>();
}

std::string gf_replyHead(std::string_view reply)
{
    return gf_shownText(reply, kReplyHeadBytes);
}

} // namespace ovr
