// The format of the encrypted data files: a libsodium secret stream
// (XChaCha20-Poly1305) with a 24-byte header followed by chunks of at most
// 4096 plain bytes, each grown by 17 bytes of tag and authentication. The last
// chunk carries the FINAL tag; a stream that stops before it was cut (a partial
// download, a truncated copy) and is refused.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace ovr::secret_stream
{

inline constexpr std::size_t kHeaderBytes = 24;
inline constexpr std::size_t kPlainChunkBytes = 4096;
inline constexpr std::size_t kChunkOverheadBytes = 17;
inline constexpr std::size_t kCipherChunkBytes = kPlainChunkBytes + kChunkOverheadBytes;

// Decrypts `encrypted` into `plain` (created or truncated) with the data key.
// Throws std::runtime_error with "Could not open input file: <path>",
// "Could not open output file: <path>", "Invalid header or key" or
// "Decryption failed"; the plain file may then hold a part of the text and
// the caller removes it.
void decryptFile(const std::filesystem::path& encrypted, const std::filesystem::path& plain);
// The whole plain text of `encrypted`, for a reader that parses it in memory.
// Throws as decryptFile does (no output file is involved).
std::string decryptText(const std::filesystem::path& encrypted);

} // namespace ovr::secret_stream
