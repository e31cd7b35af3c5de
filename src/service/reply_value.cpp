#include "service/reply_value.h"

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
    v.floating = value;
    return v;
}

ReplyValue ReplyValue::ofInteger(std::int64_t value)
{
    ReplyValue v;
    v.kind = Kind::integer;
    v.integer = value;
    return v;
}

ReplyValue ReplyValue::ofText(std::string_view value)
{
    ReplyValue v;
    v.kind = Kind::text;
    v.text = value;
    return v;
}

ReplyValue ReplyValue::ofNull()
{
    ReplyValue v;
    v.kind = Kind::null;
    return v;
}

} // namespace ovr
