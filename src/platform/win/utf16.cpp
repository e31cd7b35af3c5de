#include "platform/win/utf16.h"

#include "platform/text/text_conversion.h"

namespace ovr::win
{

namespace
{
constexpr char32_t replacement = 0xFFFD;

bool isHigh(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

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

// Both directions go through the Win32 converters without their strict
// flags, so broken input turns into U+FFFD by the same rules everywhere.
std::string utf8FromUnits(std::wstring_view units)
{
    if (units.empty())
        return {};
    auto count = static_cast<int>(units.size());
    int needed = WideCharToMultiByte(CP_UTF8, 0, units.data(), count, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, units.data(), count, out.data(), needed, nullptr, nullptr);
    return out;
}

std::wstring unitsFromUtf8(std::string_view s)
{
    if (s.empty())
        return {};
    auto count = static_cast<int>(s.size());
    int needed = MultiByteToWideChar(CP_UTF8, 0, s.data(), count, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), count, out.data(), needed);
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
