// Reading the fields of a service reply. A number field accepts a JSON
// number only (a text or a true/false is an error, not a value), and a text
// field a JSON string only; an absent field, or one that is null, takes the
// default.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovr
{

// The field as a 32-bit integer, `absent` when it is missing. Throws
// std::invalid_argument for a field that is not a number (or a reply that
// is not an object), gsl::narrowing_error for one beyond 32 bits.
std::int32_t gf_replyInt(const nlohmann::json& reply, std::string_view key, std::int32_t absent);

// The field as text, empty when it is missing. Throws std::invalid_argument
// for a field that is not a string.
std::string gf_replyText(const nlohmann::json& reply, std::string_view key);

// The field when it is a string, else the empty text; never throws.
std::string gf_replyTextIfText(const nlohmann::json& reply, std::string_view key);

// The field when it is a JSON integer (a float or a text counts as absent);
// never throws.
std::optional<std::int64_t> gf_replyIntegerIfInteger(const nlohmann::json& reply, std::string_view key);

// The first 256 bytes of a reply for log lines, control characters escaped
// and "..." when it was cut.
std::string gf_replyHead(std::string_view reply);

} // namespace ovr
