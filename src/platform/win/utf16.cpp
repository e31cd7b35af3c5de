#include "platform/win/utf16.h"

namespace ovr::win
{

namespace
{
constexpr char32_t replacement = 0xFFFD;

bool isHigh(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
} // namespace

std::u32string decodeUtf16(std::wstring_view units)
{
    std::u32string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i)
    {
        auto u = static_cast<std::uint32_t>(units[i]);
        if (isHigh(u) && i + 1 < units.size() && isLow(static_cast<std::uint32_t>(units[i + 1])))
        {
            auto low = static_cast<std::uint32_t>(units[++i]);
            out += static_cast<char32_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        }
        else if (isHigh(u) || isLow(u) || u > 0x10FFFF)
        {
            out += replacement;
        }
        else
        {
            // A wide literal outside the BMP arrives as one 32-bit unit on this
            // system; drawing it as meant is kinder than a replacement mark.
            out += static_cast<char32_t>(u);
        }
    }
    return out;
}

std::string utf8FromUnits(std::wstring_view units)
{
    std::string out;
    for (char32_t c : decodeUtf16(units))
    {
        appendUtf8(out, c);
    }
    return out;
}

std::wstring unitsFromUtf8(std::string_view s)
{
    std::wstring out;
    std::size_t i = 0;
    while (i < s.size())
    {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size())
        {
            out += static_cast<WCHAR>(replacement);
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k)
        {
            auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            ok = (cont >> 6) == 2;
            c = (c << 6) | (cont & 0x3F);
        }
        static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            out += static_cast<WCHAR>(replacement);
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (c >> 10));
            out += static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            out += static_cast<WCHAR>(c);
        }
    }
    return out;
}

std::string utf8FromPointer(const WCHAR* s) { return utf8FromUnits(std::wstring_view(s == nullptr ? L"" : s, unitLength(s))); }

std::size_t unitLength(const WCHAR* s)
{
    std::size_t n = 0;
    while (s != nullptr && s[n] != 0)
    {
        ++n;
    }
    return n;
}

WCHAR foldCase(WCHAR c)
{
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
    {
        return static_cast<WCHAR>(c - 0x20);
    }
    return c;
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && startsWithNoCase(a, b);
}

bool startsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    if (prefix.size() > text.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i)
    {
        if (foldCase(text[i]) != foldCase(prefix[i]))
        {
            return false;
        }
    }
    return true;
}

} // namespace ovr::win
