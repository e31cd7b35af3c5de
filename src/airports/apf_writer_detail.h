// Lets tests fix the date of the meta blocks that the writer writes, so that
// written files compare byte for byte.
#pragma once

#include <optional>
#include <string>

namespace ovr::detail
{

// No value: today's date.
void setApfWriterDate(std::optional<std::string> date);

} // namespace ovr::detail
