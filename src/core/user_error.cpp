#include "core/user_error.h"

#include <fmt/format.h>

namespace ovr
{

namespace
{

std::string lf_userErrorMessage(std::int32_t code, const std::string& text)
{
    if (code == 99)
        return text;
    return fmt::format("{}: {}", code, text);
}

} // namespace

UserErrorException::UserErrorException(std::int32_t code, const std::string& text)
    : std::runtime_error(lf_userErrorMessage(code, text)), m_code(code)
{
}

} // namespace ovr
