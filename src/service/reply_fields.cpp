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

} // namespace

void gf_requireObject(ReplyValue::Kind reply)
{
    if (reply != ReplyValue::Kind::object)
    {
        const ReplyValue kind = ReplyValue::ofKind(reply);
        throw std::invalid_argument(fmt::format("reply is {}, not an object", kind.typeName()));
    }
}

std::int32_t gf_replyInt(const ReplyValue& field, std::string_view key, std::int32_t absent)
{
    // The service sends null for a value it does not have.
    if (field.missing())
    {
        return absent;
    }
    if (field.kind == ReplyValue::Kind::integer)
    {
        return gsl::narrow<std::int32_t>(field.integer());
    }
    if (field.kind == ReplyValue::Kind::bigUnsigned)
    {
        return gsl::narrow<std::int32_t>(field.unsignedValue());
    }
    if (field.kind == ReplyValue::Kind::floating)
    {
        const double whole = std::trunc(field.floating());
        if (!(whole >= -2147483648.0 && whole <= 2147483647.0))
        {
            throw gsl::narrowing_error{};
        }
        return static_cast<std::int32_t>(whole);
    }
    throw std::invalid_argument(fmt::format("\"{}\" must be a number, but is {}", key, field.typeName()));
}

std::string gf_replyText(const ReplyValue& field, std::string_view key)
{
    if (field.missing())
    {
        return {};
    }
    if (!field.isText())
    {
        throw std::invalid_argument(fmt::format("\"{}\" must be a string, but is {}", key, field.typeName()));
    }
    return std::string(field.text());
}

std::string gf_replyTextIfText(const ReplyValue& field)
{
    return field.isText() ? std::string(field.text()) : std::string{};
}

std::optional<std::int64_t> gf_replyIntegerIfInteger(const ReplyValue& field)
{
    if (field.kind != ReplyValue::Kind::integer)
    {
        return std::nullopt;
    }
    return field.integer();
}

std::string gf_replyHead(std::string_view reply)
{
    return gf_shownText(reply, kReplyHeadBytes);
}

} // namespace ovr
