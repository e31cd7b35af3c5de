// The encoding of a text file as detected from its byte-order mark and its
// bytes: the aircraft configuration files of AI-traffic packages come in all
// of these.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace ovr
{

using EncodingCode = int;

inline constexpr EncodingCode kEncodingAnsi = 0;      // the Windows ANSI code page
inline constexpr EncodingCode kEncodingUtf16Le = 1;   // "Unicode"
inline constexpr EncodingCode kEncodingUtf16Be = 2;   // "Unicode_big_endian"
inline constexpr EncodingCode kEncodingUtf8Bom = 3;   // UTF-8 with byte-order mark
inline constexpr EncodingCode kEncodingUtf8 = 4;      // UTF-8 without mark, pure ASCII included
inline constexpr EncodingCode kEncodingNotOpened = 5; // the file cannot be opened

// UTF-8 (with or without its mark) only when the whole file is valid UTF-8:
// a file valid in its first part only is Windows-1252 text, and the reader
// converts it rather than passing its bytes on raw.
EncodingCode gf_detectEncoding(const std::filesystem::path& path);
// The same detection on a file's whole content, already read.
EncodingCode gf_detectEncodingOf(std::string_view bytes);
// The name of a code ("ANSI", "Unicode", ...); throws std::out_of_range for a
// code outside 0..5.
std::string_view gf_charsetName(EncodingCode code);

// The bytes are well-formed UTF-8; a character cut off at the end makes them
// invalid.
bool gf_isValidUtf8(std::string_view bytes);

} // namespace ovr
