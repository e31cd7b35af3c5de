#include "service/array_positions.h"

namespace ovr
{

namespace
{

int lf_hexDigit(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<double> gf_optionalNumberAt(const ReplyValue& value)
{
    if (!value.isNumber())
    {
        return std::nullopt;
    }
    return value.number();
}

double gf_numberAt(const ReplyValue& value)
{
    return gf_optionalNumberAt(value).value_or(0.0);
}

std::string_view gf_textAt(const ReplyValue& value)
{
    return value.text();
}

std::uint32_t gf_leadingHex(std::string_view text)
{
    std::uint64_t value = 0;
    bool any = false;
    for (const char c : text)
    {
        const int digit = lf_hexDigit(c);
        if (digit < 0)
        {
            break;
        }
        any = true;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFULL)
        {
            return 0;
        }
    }
    return any ? static_cast<std::uint32_t>(value) : 0;
}

} // namespace ovr
