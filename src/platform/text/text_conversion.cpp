#include "platform/text/text_conversion.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kUndefined = 0;

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones are 0.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one UTF-8 character at s[i]; on success advances i. On an invalid
// sequence returns no value and advances i past the bytes that belong to it
// (at least one).
std::optional<char32_t> lf_decodeUtf8(const unsigned char* s, std::size_t n, std::size_t& i)
{
    unsigned char b0 = s[i];
    if (b0 < 0x80)
    {
        ++i;
        return b0;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF)
    {
        len = 2;
        cp = b0 & 0x1Fu;
    }
    else if (b0 >= 0xE0 && b0 <= 0xEF)
    {
        len = 3;
        cp = b0 & 0x0Fu;
        if (b0 == 0xE0)
            lo = 0xA0;
        if (b0 == 0xED) // surrogates are not characters
            hi = 0x9F;
    }
    else if (b0 >= 0xF0 && b0 <= 0xF4)
    {
        len = 4;
        cp = b0 & 0x07u;
        if (b0 == 0xF0)
            lo = 0x90;
        if (b0 == 0xF4)
            hi = 0x8F;
    }
    else
    {
        ++i;
        return std::nullopt;
    }
    std::size_t j = i + 1;
    for (std::size_t k = 1; k < len; ++k, ++j)
    {
        unsigned char limitLo = k == 1 ? lo : 0x80;
        unsigned char limitHi = k == 1 ? hi : 0xBF;
        if (j >= n || s[j] < limitLo || s[j] > limitHi)
        {
            i = j; // the maximal invalid part ends before the offending byte
            return std::nullopt;
        }
        cp = (cp << 6) | (s[j] & 0x3Fu);
    }
    i = j;
    return cp;
}

void lf_appendUtf16(std::vector<WCHAR>& out, char32_t cp)
{
    if (cp >= 0x10000)
    {
        cp -= 0x10000;
        out.push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
    }
    else
    {
        out.push_back(static_cast<WCHAR>(cp));
    }
}

void lf_appendUtf8(std::vector<CHAR>& out, char32_t cp)
{
    auto put = [&out](unsigned v) { out.push_back(static_cast<CHAR>(static_cast<unsigned char>(v))); };
    if (cp < 0x80)
        put(cp);
    else if (cp < 0x800)
    {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
    else
    {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

char32_t lf_cp1252ToUnicode(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kCp1252High[b - 0x80u];
    return b;
}

std::optional<unsigned char> lf_unicodeToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (std::size_t k = 0; k < kCp1252High.size(); ++k)
        if (kCp1252High[k] != 0 && kCp1252High[k] == cp)
            return static_cast<unsigned char>(0x80 + k);
    return std::nullopt;
}

// Length of a null-terminated input including its terminator, or the given
// length; -2 for an invalid length.
template <class T> long long lf_inputLength(const T* s, int count)
{
    if (count == -1)
    {
        long long n = 0;
        while (s[n] != 0)
            ++n;
        return n + 1;
    }
    return count > 0 ? count : -2;
}

template <class T> int lf_deliver(const std::vector<T>& units, T* out, int outCount)
{
    if (units.size() > static_cast<std::size_t>(INT32_MAX))
        return 0;
    int needed = static_cast<int>(units.size());
    if (outCount == 0)
        return needed;
    if (outCount < needed)
        return 0;
    if (needed > 0)
        std::memcpy(out, units.data(), units.size() * sizeof(T));
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, const CHAR* multiByteStr, int multiByteCount,
                        WCHAR* wideStr, int wideCount)
{
    if (!multiByteStr || wideCount < 0 || (wideCount > 0 && !wideStr))
        return 0;
    if (codePage != CP_UTF8 && codePage != CP_ACP)
        return 0;
    long long n = lf_inputLength(multiByteStr, multiByteCount);
    if (n < 0)
        return 0;
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    const auto* s = reinterpret_cast<const unsigned char*>(multiByteStr);
    const auto size = static_cast<std::size_t>(n);

    std::vector<WCHAR> units;
    units.reserve(size);
    std::size_t i = 0;
    while (i < size)
    {
        if (codePage == CP_UTF8)
        {
            auto cp = lf_decodeUtf8(s, size, i);
            if (!cp && strict)
                return 0;
            lf_appendUtf16(units, cp.value_or(kReplacement));
        }
        else
        {
            unsigned char b = s[i++];
            char32_t cp = lf_cp1252ToUnicode(b);
            if (cp == kUndefined && b != 0)
            {
                if (strict)
                    return 0;
                cp = b; // as Windows does: the unassigned bytes map to the C1 controls
            }
            lf_appendUtf16(units, cp);
        }
    }
    return lf_deliver(units, wideStr, wideCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wideStr, int wideCount, CHAR* multiByteStr,
                        int multiByteCount, const CHAR* defaultChar, BOOL* usedDefaultChar)
{
    if (!wideStr || multiByteCount < 0 || (multiByteCount > 0 && !multiByteStr))
        return 0;
    if (codePage != CP_UTF8 && codePage != CP_ACP)
        return 0;
    // As on Windows, the UTF-8 code page takes no default character.
    if (codePage == CP_UTF8 && (defaultChar || usedDefaultChar))
        return 0;
    long long n = lf_inputLength(wideStr, wideCount);
    if (n < 0)
        return 0;
    const bool strict = codePage == CP_UTF8 && (flags & WC_ERR_INVALID_CHARS) != 0;
    const auto size = static_cast<std::size_t>(n);
    const CHAR fallback = defaultChar ? *defaultChar : '?';
    if (usedDefaultChar)
        *usedDefaultChar = FALSE;

    std::vector<CHAR> units;
    units.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
    {
        auto u = static_cast<std::uint32_t>(wideStr[i]);
        std::optional<char32_t> cp;
        if (u >= 0xD800 && u <= 0xDBFF)
        {
            if (i + 1 < size)
            {
                auto low = static_cast<std::uint32_t>(wideStr[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF)
                {
                    cp = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        else if (u <= 0x10FFFF && !(u >= 0xDC00 && u <= 0xDFFF))
        {
            // A wide literal outside the BMP arrives as one 32-bit unit on
            // this system; it is taken as the character it names.
            cp = static_cast<char32_t>(u);
        }
        // A lone surrogate or a value beyond U+10FFFF is no text.
        if (!cp && strict)
            return 0;

        if (codePage == CP_UTF8)
        {
            lf_appendUtf8(units, cp.value_or(kReplacement));
        }
        else
        {
            auto b = cp ? lf_unicodeToCp1252(*cp) : std::nullopt;
            if (!b)
            {
                if (usedDefaultChar)
                    *usedDefaultChar = TRUE;
                units.push_back(fallback);
            }
            else
            {
                units.push_back(static_cast<CHAR>(*b));
            }
        }
    }
    return lf_deliver(units, multiByteStr, multiByteCount);
}
