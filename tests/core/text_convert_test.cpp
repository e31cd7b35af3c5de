#include "core/text_convert.h"

#include <gtest/gtest.h>

#include "platform/text/text_conversion.h"

namespace ovr
{
namespace
{

std::wstring wide(std::initializer_list<unsigned> units)
{
    std::wstring w;
    for (unsigned u : units)
        w.push_back(static_cast<wchar_t>(u));
    return w;
}

// Runs the Windows two-call pattern; no value when either call fails.
std::optional<std::wstring> toWide(UINT codePage, DWORD flags, std::string_view bytes)
{
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n) !=
        n)
        return std::nullopt;
    return out;
}

std::optional<std::string> toBytes(UINT codePage, DWORD flags, const std::wstring& units,
                                   BOOL* usedDefault = nullptr)
{
    int n = WideCharToMultiByte(codePage, flags, units.data(), static_cast<int>(units.size()), nullptr, 0,
                                nullptr, usedDefault);
    if (n == 0)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, units.data(), static_cast<int>(units.size()), out.data(), n, nullptr,
                        usedDefault);
    return out;
}

struct DecodeCase
{
    const char* what;
    std::string_view bytes;
    std::optional<std::wstring> strict;
    std::wstring lenient;
};

TEST(TextConversion, Utf8ToUtf16)
{
    const DecodeCase cases[] = {
        {"ascii", "Ab", wide({'A', 'b'}), wide({'A', 'b'})},
        {"two bytes", "\xC3\xA9", wide({0xE9}), wide({0xE9})},
        {"three bytes", "\xE2\x82\xAC", wide({0x20AC}), wide({0x20AC})},
        {"four bytes", "\xF0\x9F\x98\x80", wide({0xD83D, 0xDE00}), wide({0xD83D, 0xDE00})},
        {"overlong", "\xC0\x80", std::nullopt, wide({0xFFFD, 0xFFFD})},
        {"encoded surrogate", "\xED\xA0\x80", std::nullopt, wide({0xFFFD, 0xFFFD, 0xFFFD})},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", std::nullopt, wide({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
        {"cut at the end", "a\xE2\x82", std::nullopt, wide({'a', 0xFFFD})},
        {"lone continuation", "\x80z", std::nullopt, wide({0xFFFD, 'z'})},
        {"latin-1 byte", "caf\xE9!", std::nullopt, wide({'c', 'a', 'f', 0xFFFD, '!'})},
    };
    for (const DecodeCase& c : cases)
    {
        EXPECT_EQ(toWide(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes), c.strict) << c.what;
        EXPECT_EQ(toWide(CP_UTF8, 0, c.bytes), c.lenient) << c.what;
    }
}

TEST(TextConversion, Windows1252ToUtf16)
{
    EXPECT_EQ(toWide(CP_ACP, MB_ERR_INVALID_CHARS, "\x80\x9F\xE9\x41"), wide({0x20AC, 0x0178, 0xE9, 'A'}));
    // the five unassigned bytes: refused strictly, the C1 controls otherwise
    for (char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
    {
        std::string bytes(1, b);
        EXPECT_FALSE(toWide(CP_ACP, MB_ERR_INVALID_CHARS, bytes)) << int(b);
        EXPECT_EQ(toWide(CP_ACP, 0, bytes), wide({static_cast<unsigned char>(b)}));
    }
}

TEST(TextConversion, Utf16ToUtf8AndWindows1252)
{
    EXPECT_EQ(toBytes(CP_UTF8, WC_ERR_INVALID_CHARS, wide({0xD83D, 0xDE00, 'x'})), "\xF0\x9F\x98\x80x");
    EXPECT_FALSE(toBytes(CP_UTF8, WC_ERR_INVALID_CHARS, wide({0xD83D})));
    EXPECT_FALSE(toBytes(CP_UTF8, WC_ERR_INVALID_CHARS, wide({0xDE00, 'x'})));
    EXPECT_FALSE(toBytes(CP_UTF8, WC_ERR_INVALID_CHARS, wide({0x110000})));
    EXPECT_EQ(toBytes(CP_UTF8, WC_ERR_INVALID_CHARS, wide({0x1F600})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(toBytes(CP_UTF8, 0, wide({0xDE00, 'x'})), "\xEF\xBF\xBDx");

    BOOL usedDefault = TRUE;
    EXPECT_EQ(toBytes(CP_ACP, 0, wide({0x20AC, 0xE9}), &usedDefault), "\x80\xE9");
    EXPECT_EQ(usedDefault, FALSE);
    EXPECT_EQ(toBytes(CP_ACP, 0, wide({0x4E2D, 'a'}), &usedDefault), "?a");
    EXPECT_EQ(usedDefault, TRUE);
}

TEST(TextConversion, BufferContract)
{
    const char* text = "abc";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 4); // with the terminator
    WCHAR small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 3, small, 2), 0);
    WCHAR enough[3];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 3, enough, 3), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 0, nullptr, 0), 0);
    EXPECT_EQ(MultiByteToWideChar(1250, 0, text, 3, nullptr, 0), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ab", -1, nullptr, 0, nullptr, nullptr), 3);
    char out[1];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ab", 2, out, 1, nullptr, nullptr), 0);
}

TEST(TextConvert, StrictConvertersThrowTheirTexts)
{
    EXPECT_EQ(gf_utf8ToWide(""), L"");
    EXPECT_EQ(gf_utf8ToWide("\xC3\xA9t\xC3\xA9"), wide({0xE9, 't', 0xE9}));
    EXPECT_EQ(gf_wideToUtf8(wide({0xE9, 't', 0xE9})), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(gf_wideToUtf8(L""), "");
    try
    {
        gf_utf8ToWide("\xFF");
        FAIL();
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "utf8_to_wide: invalid UTF-8");
    }
    try
    {
        gf_wideToUtf8(wide({'a', 0xD800}));
        FAIL();
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "wide_to_utf8: invalid UTF-16");
    }
}

TEST(TextConvert, AnsiToUtf8)
{
    EXPECT_EQ(gf_acpToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(gf_acpToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(gf_acpToUtf8("a\x81"), "a\xC2\x81"); // replaced on the second try
    EXPECT_EQ(gf_acpToUtf8(""), "");
    EXPECT_EQ(gf_pathToUtf8(std::filesystem::path("dir/\xC3\xA9.xml")), "dir/\xC3\xA9.xml");
}

// Folder names typed by users, read from settings or from the simulator's
// files: the path names the same folder as one built from char8_t text (the
// narrow constructor reads the ANSI code page on Windows), and comes back as
// the same bytes.
struct PathCase
{
    const char* what;
    std::string_view utf8;
    std::u8string_view expected;
};

TEST(TextConvert, Utf8PathsRoundTrip)
{
    const PathCase cases[] = {
        {"ascii", "C:/Users/Pilot", u8"C:/Users/Pilot"},
        {"user folder", "C:/Users/J\xC3\xBCrgen/AppData", u8"C:/Users/J\u00FCrgen/AppData"},
        {"install path", "D:\\Spiele\\r\xC3\xBCn\\Community", u8"D:\\Spiele\\r\u00FCn\\Community"},
        {"three bytes", "Pakete/\xE2\x82\xAC", u8"Pakete/\u20AC"},
        {"outside the BMP", "\xF0\x9F\x9B\xA9/x.cfg", u8"\U0001F6E9/x.cfg"},
        {"empty", "", u8""},
    };
    for (const PathCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::filesystem::path path = gf_utf8ToPath(c.utf8);
        EXPECT_EQ(path, std::filesystem::path(c.expected));
        EXPECT_EQ(gf_pathToUtf8(path), c.utf8);
    }
}

} // namespace
} // namespace ovr
