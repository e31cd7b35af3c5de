// One JSON value of a service reply as the decoders look at it: its kind
// and, for a number or a string, what it holds. A text points into the
// ReplyReader that read the reply and lives until that reader reads again.
#pragma once

#include <cstdint>
#include <string_view>

namespace ovr
{

struct ReplyValue
{
    enum class Kind : std::uint8_t
    {
        absent, // no such member or position
        null,
        boolean,
        integer,     // an integer that fits 64 signed bits
        bigUnsigned, // an integer from 2^63 to 2^64 - 1
        floating,    // a number with a fraction or an exponent, or an integer beyond 64 bits
        text,
        array,
        object,
    };

    Kind kind = Kind::absent;
    // An array or object without elements.
    bool emptyContainer = false;

  private:
    // A busy area's first reply keeps hundreds of thousands of these at
    // once: 16 bytes each, the payload one of three by kind.
    std::uint32_t m_textSize = 0;
    union
    {
        std::int64_t m_integer = 0;
        double m_floating;
        const char* m_text;
    };

  public:
    // integer, boolean (0 or 1), or bigUnsigned as its 64 bits
    std::int64_t integer() const
    {
        return kind == Kind::integer || kind == Kind::bigUnsigned || kind == Kind::boolean ? m_integer : 0;
    }
    double floating() const { return kind == Kind::floating ? m_floating : 0.0; }
    std::string_view text() const { return isText() ? std::string_view(m_text, m_textSize) : std::string_view{}; }

    bool isNumber() const { return kind == Kind::integer || kind == Kind::bigUnsigned || kind == Kind::floating; }
    bool isInteger() const { return kind == Kind::integer || kind == Kind::bigUnsigned; }
    bool isText() const { return kind == Kind::text; }
    // Absent or null: a value the service does not have.
    bool missing() const { return kind == Kind::absent || kind == Kind::null; }
    // Missing, or a container without elements; a number, text or
    // true/false is never empty.
    bool empty() const
    {
        return missing() || ((kind == Kind::array || kind == Kind::object) && emptyContainer);
    }
    // Any number as a double.
    double number() const
    {
        switch (kind)
        {
        case Kind::integer:
            return static_cast<double>(m_integer);
        case Kind::bigUnsigned:
            return static_cast<double>(static_cast<std::uint64_t>(m_integer));
        case Kind::floating:
            return m_floating;
        default:
            return 0.0;
        }
    }
    std::uint64_t unsignedValue() const { return static_cast<std::uint64_t>(integer()); }
    // The JSON type's name for messages: "null", "number", "string", ...
    std::string_view typeName() const;

    static ReplyValue ofNumber(double value);
    static ReplyValue ofInteger(std::int64_t value);
    static ReplyValue ofBigUnsigned(std::uint64_t value);
    static ReplyValue ofBoolean(bool value);
    static ReplyValue ofText(std::string_view value);
    static ReplyValue ofNull();
    // A container's kind and emptiness, or any kind without its payload.
    static ReplyValue ofKind(Kind kind, bool emptyContainer = false);
};

static_assert(sizeof(ReplyValue) == 16);

} // namespace ovr
