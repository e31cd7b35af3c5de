// gzip framing (RFC 1952) of a reply body, for replies that a client must
// decompress itself.
#pragma once

#include <string>
#include <string_view>

namespace ovr::fakert
{

std::string gzipCompress(std::string_view data);
// Throws std::runtime_error when data is not a complete gzip stream.
std::string gzipDecompress(std::string_view data);

} // namespace ovr::fakert
