// Reading an aircraft array of the service by position: a number position
// takes any JSON number and reads everything else (null, texts, a missing
// position) as 0.0; a text position takes a JSON string and reads everything
// else as the empty text.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ovr
{

double gf_numberAt(const nlohmann::json& array, std::size_t position);
// The number, or none when the position holds no JSON number.
std::optional<double> gf_optionalNumberAt(const nlohmann::json& array, std::size_t position);
std::string gf_textAt(const nlohmann::json& array, std::size_t position);

// The leading hexadecimal digits of a text as an unsigned 32-bit number;
// 0 when it starts with none or they overflow 32 bits.
std::uint32_t gf_leadingHex(const std::string& text);

} // namespace ovr
