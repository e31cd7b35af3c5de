#include "core/encoding.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "platform/text/text_conversion.h"

namespace ovr
{

EncodingCode gf_detectEncoding(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return kEncodingNotOpened;

    // The whole file: a sample may end inside a character, or before the
    // one byte that makes the file Windows-1252.
    const std::string sample{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return gf_detectEncodingOf(sample);
}

EncodingCode gf_detectEncodingOf(std::string_view sample)
{
    const std::size_t n = std::min<std::size_t>(sample.size(), 4);
    auto b = [&sample](std::size_t i) { return static_cast<unsigned char>(sample[i]); };

    if (n >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF)
        return gf_isValidUtf8(sample.substr(3)) ? kEncodingUtf8Bom : kEncodingAnsi;
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
    // The strict converter applies the same rules: a lead byte must start a
    // sequence of the right length, no overlong forms, nothing beyond
    // U+10FFFF, no encoded surrogates, no character cut off at the end.
    // An ASCII byte is a whole character: what precedes the first other byte
    // is valid, and the converter need only see the rest (most aircraft.cfg
    // files are ASCII up to a title or two near their end).
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    const auto ascii =
        std::find_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    bytes.remove_prefix(static_cast<std::size_t>(ascii - bytes.begin()));
    if (bytes.empty())
        return true;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               nullptr, 0) > 0;
}

} // namespace ovr
