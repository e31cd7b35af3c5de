// The key of the encrypted data files (airports.enc, dbase.enc,
// AIG-regcodes.enc). It is compiled into the program and into the data tool
// from this one place and must never reach a log, a status text or a file.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace ovr
{

inline constexpr std::size_t kDataKeyBytes = 32; // crypto_secretstream_xchacha20poly1305_KEYBYTES

std::span<const unsigned char, kDataKeyBytes> gf_dataKey();

} // namespace ovr
