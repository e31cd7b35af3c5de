// A problem the user must act on (a missing file, a wrong setting, a data
// file without its required content). The top-level handlers show its
// message on the status line and in the log.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ovr
{

class UserErrorException : public std::runtime_error
{
  public:
    // Code 99 marks a text that is complete in itself; every other code is
    // shown in front of the text.
    UserErrorException(std::int32_t code, const std::string& text);

    std::int32_t code() const { return m_code; }

  private:
    std::int32_t m_code;
};

} // namespace ovr
