// The push side of the data-file format (see core/secret_stream.h): what
// the build and the tests use to make .enc files. The program itself only
// decrypts.
#pragma once

#include "core/data_key.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace ovr::datatool
{

// One stream whose chunks are the given texts (each at most 4096 bytes), the
// last one tagged FINAL; an empty list gives a header alone (a cut stream).
std::string encryptChunks(std::span<const std::string_view> chunks,
                          std::span<const unsigned char, kDataKeyBytes> key = gf_dataKey());

// The text cut into 4096-byte chunks, the last (possibly short or empty) one
// tagged FINAL: the layout of every shipped data file.
std::string encryptText(std::string_view plain,
                        std::span<const unsigned char, kDataKeyBytes> key = gf_dataKey());

// Streams `plain` into `encrypted` in the shipped layout. Throws
// std::runtime_error on a file that cannot be read or written.
void encryptFile(const std::filesystem::path& plain, const std::filesystem::path& encrypted);

} // namespace ovr::datatool
