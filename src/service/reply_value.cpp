#include "service/reply_value.h"

#include <gsl/gsl>

namespace ovr
{

std::string_view ReplyValue::typeName() const
{
    switch (kind)
    {
    case Kind::absent:
    case Kind::null:
        return "null";
    case Kind::boolean:
        return "boolean";
    case Kind::integer:
    case Kind::bigUnsigned:
    case Kind::floating:
        return "number";
    case Kind::text:
        return "string";
    case Kind::array:
        return "array";
    case Kind::object:
        return "object";
    }
    return "null";
}

ReplyValue ReplyValue::ofNumber(double value)
{
    ReplyValue v;
    v.kind = Kind::floating;
    v.m_floating = value;
    return v;
}

ReplyValue ReplyValue::ofInteger(std::int64_t value)
{
    ReplyValue v;
    v.kind = Kind::integer;
    v.m_integer = value;
    return v;
}

ReplyValue ReplyValue::ofBigUnsigned(std::uint64_t value)
{
    ReplyValue v;
    v.kind = Kind::bigUnsigned;
    v.m_integer = static_cast<std::int64_t>(value);
    return v;
}

ReplyValue ReplyValue::ofBoolean(bool value)
{
    ReplyValue v;
    v.kind = Kind::boolean;
    v.m_integer = value ? 1 : 0;
    return v;
}

ReplyValue ReplyValue::ofText(std::string_view value)
{
    ReplyValue v;
    v.kind = Kind::text;
    v.m_text = value.data();
    // A reply longer than 4 GB is refused before any text of it is read.
    v.m_textSize = gsl::narrow<std::uint32_t>(value.size());
    return v;
}

ReplyValue ReplyValue::ofNull()
{
    return ofKind(Kind::null);
}

ReplyValue ReplyValue::ofKind(Kind kind, bool emptyContainer)
{
    ReplyValue v;
    v.kind = kind;
    v.emptyContainer = emptyContainer;
    return v;
}

} // namespace ovr
