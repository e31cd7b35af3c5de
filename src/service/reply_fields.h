// Reading the fields of a service reply. A number field accepts a JSON
// number only (a text or a true/false is an error, not a value), and a text
// field a JSON string only; an absent field, or one that is null, takes the
// default.
#pragma once

#include "service/reply_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovr
{

// Throws std::invalid_argument for a reply that is not an object: its
// fields mean nothing.
void gf_requireObject(ReplyValue::Kind reply);

// The field `key` as a 32-bit integer, `absent` when it is missing. Throws
// std::invalid_argument for a field that is not a number,
// gsl::narrowing_error for one beyond 32 bits.
std::int32_t gf_replyInt(const ReplyValue& field, std::string_view key, std::int32_t absent);

// The field `key` as text, empty when it is missing. Throws
// std::invalid_argument for a field that is not a string.
std::string gf_replyText(const ReplyValue& field, std::string_view key);

// The field when it is a string, else the empty text; never throws.
std::string gf_replyTextIfText(const ReplyValue& field);

// The field when it is a JSON integer within 64 signed bits (a float or a
// text counts as absent); never throws.
std::optional<std::int64_t> gf_replyIntegerIfInteger(const ReplyValue& field);

// The first 256 bytes of a reply for log lines, control characters escaped
// and "..." when it was cut.
std::string gf_replyHead(std::string_view reply);

} // namespace ovr
