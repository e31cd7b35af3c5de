#include "core/data_key.h"

#include <sodium.h>

namespace ovr
{

static_assert(kDataKeyBytes == crypto_secretstream_xchacha20poly1305_KEYBYTES);

namespace
{
// Changing these bytes makes every shipped .enc file unreadable: the data
// files are encrypted with exactly this key at build time.
constexpr std::array<unsigned char, kDataKeyBytes> kKey = {
    0x3e, 0xe2, 0x87, 0x60, 0xbc, 0x15, 0x82, 0xa5, 0xa1, 0xa4, 0x3b, 0x71, 0xc4, 0xfc, 0xec, 0x51,
    0x7f, 0x6d, 0xa7, 0xb6, 0x12, 0x99, 0x18, 0xe2, 0x87, 0x75, 0xa3, 0x40, 0xf3, 0x35, 0x9d, 0x57};
} // namespace

std::span<const unsigned char, kDataKeyBytes> gf_dataKey()
{
    return kKey;
}

} // namespace ovr
