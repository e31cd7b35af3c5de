// Reading an aircraft array of the service by position: a number position
// takes any JSON number and reads everything else (null, texts, a missing
// position) as 0.0; a text position takes a JSON string and reads everything
// else as the empty text.
#pragma once

#include "service/reply_value.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace ovr
{

double gf_numberAt(const ReplyValue& value);
// The number, or none when the position holds no JSON number.
std::optional<double> gf_optionalNumberAt(const ReplyValue& value);
// Points into the reply the value was read from.
std::string_view gf_textAt(const ReplyValue& value);

// The leading hexadecimal digits of a text as an unsigned 32-bit number;
// 0 when it starts with none or they overflow 32 bits.
std::uint32_t gf_leadingHex(std::string_view text);

} // namespace ovr
