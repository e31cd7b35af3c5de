#include "service/array_positions.h"

namespace ovr
{

namespace
{

const nlohmann::json* lf_at(const nlohmann::json& array, std::size_t position)
{
    if (!array.is_array() || position >= array.size())
    {
        return nullptr;
    }
    return &array[position];
}

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

std::optional<double> gf_optionalNumberAt(const nlohmann::json& array, std::size_t position)
{
    const nlohmann::json* value = lf_at(array, position);
    if (value == nullptr || !value->is_number())
    {
        return std::nullopt;
    }
    return value->get<double>();
}

double gf_numberAt(const nlohmann::json& array, std::size_t position)
{
    return gf_optionalNumberAt(array, position).value_or(0.0);
}

std::string gf_textAt(const nlohmann::json& array, std::size_t position)
{
    const nlohmann::json* value = lf_at(array, position);
    if (value == nullptr || !value->is_string())
    {
        return {};
    }
    return value->get<std::string>();
}

std::uint32_t gf_leadingHex(const std::string& text)
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
