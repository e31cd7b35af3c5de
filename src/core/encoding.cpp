#include "core/encoding.h"

#include <fstream>
#include <map>
#include <string>

namespace ovr {

EncodingCode gf_detectEncoding(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return kEncodingNotOpened;

    std::string sample(kEncodingSampleBytes, '\0');
    in.read(sample.data(), static_cast<std::streamsize>(sample.size()));
    sample.resize(static_cast<std::size_t>(in.gcount()));

    const std::size_t n = std::min<std::size_t>(sample.size(), 4);
    auto b = [&sample](std::size_t i) { return static_cast<unsigned char>(sample[i]); };

    if (n >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF)
        return kEncodingUtf8Bom;
    if (n >= 2)
    {
        if (b(0) == 0xFF && b(1) == 0xFE)
            return kEncodingUtf16Le;
        if (!(b(0) == 0xFE && b(1) == 0xFF) && b(1) == 0 && (n < 4 || b(3) == 0))
            return kEncodingUtf16Le;
        if (b(0) == 0xFE && b(1) == 0xFF)
            return kEncodingUtf16Be;
        if (b(0) == 0 && (n < 4 || b(2) == 0))
            return kEncodingUtf16Be;
    }
    return gf_isValidUtf8(sample) ? kEncodingUtf8 : kEncodingAnsi;
}

std::string_view gf_charsetName(EncodingCode code)
{
    static const std::map<EncodingCode, std::string_view> names{
        {kEncodingAnsi, "ANSI"},
        {kEncodingUtf16Le, "Unicode"},
        {kEncodingUtf16Be, "Unicode_big_endian"},
        {kEncodingUtf8Bom, "UTF8_with_BOM"},
        {kEncodingUtf8, "UTF8_without_BOM"},
        {kEncodingNotOpened, "none_found"},
    };
    return names.at(code);
}

bool gf_isValidUtf8(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t i = 0;
    while (i < n)
    {
        unsigned char lead = at(i);
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
            len = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            len = 3;
            if (lead == 0xE0)
                lo = 0xA0;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            len = 4;
            if (lead == 0xF0)
                lo = 0x90;
            if (lead == 0xF4)
                hi = 0x8F;
        }
        else
            return false;
        if (i + len > n)
            return false;
        for (std::size_t k = 1; k < len; ++k)
        {
            unsigned char c = at(i + k);
            unsigned char kLo = k == 1 ? lo : 0x80;
            unsigned char kHi = k == 1 ? hi : 0xBF;
            if (c < kLo || c > kHi)
                return false;
        }
        i += len;
    }
    return true;
}

} // namespace ovr
