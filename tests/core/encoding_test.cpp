#include "core/encoding.h"

#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "core/text_convert.h"
#include "test_support.h"

namespace ovr
{
namespace
{

using namespace std::string_literals;

struct DetectCase
{
    const char* what;
    std::string bytes;
    EncodingCode code;
};

TEST(Encoding, Detection)
{
    const DetectCase cases[] = {
        {"empty", "", kEncodingUtf8},
        {"ascii", "[fltsim.0]\r\ntitle=x\r\n", kEncodingUtf8},
        {"utf-8 with mark", "\xEF\xBB\xBFtitle", kEncodingUtf8Bom},
        {"only the LE mark", "\xFF\xFE", kEncodingUtf16Le},
        {"LE mark and text",
         "\xFF\xFE"
         "a\0"s,
         kEncodingUtf16Le},
        {"LE without mark", "A\0B\0"s, kEncodingUtf16Le},
        {"LE without mark, 3 bytes", "A\0B"s, kEncodingUtf16Le},
        {"BE mark", "\xFE\xFF\0a"s, kEncodingUtf16Be},
        {"BE without mark", "\0A\0B"s, kEncodingUtf16Be},
        {"latin-1", "caf\xE9 au lait", kEncodingAnsi},
        {"utf-8 text", "caf\xC3\xA9 au lait", kEncodingUtf8},
        // The whole file decides, wherever a 4 KB boundary falls.
        {"two-byte character across byte 4096", std::string(4095, 'a') + "\xC3\xA9", kEncodingUtf8},
        {"three-byte character across byte 4096", std::string(4094, 'a') + "\xE2\x82\xAC", kEncodingUtf8},
        {"two-byte character ending at byte 4096", std::string(4094, 'a') + "\xC3\xA9", kEncodingUtf8},
        {"latin-1 byte after 4 KB of ASCII", std::string(4096, 'a') + "K\xF6ln", kEncodingAnsi},
        {"latin-1 byte after 4 KB of UTF-8", std::string(4090, 'a') + "\xC3\xA9" + std::string(10, 'a') + "\xF6",
         kEncodingAnsi},
        {"utf-8 mark, then latin-1", "\xEF\xBB\xBFK\xF6ln", kEncodingAnsi},
        {"utf-8 character cut at the end", "K\xC3", kEncodingAnsi},
    };
    test::TempDir dir;
    for (const DetectCase& c : cases)
    {
        test::writeFile(dir / "f.cfg", c.bytes);
        EXPECT_EQ(gf_detectEncoding(dir / "f.cfg"), c.code) << c.what;
    }
    EXPECT_EQ(gf_detectEncoding(dir / "missing.cfg"), kEncodingNotOpened);
}

TEST(Encoding, CharsetNames)
{
    const std::pair<EncodingCode, std::string_view> cases[] = {
        {0, "ANSI"},          {1, "Unicode"},          {2, "Unicode_big_endian"},
        {3, "UTF8_with_BOM"}, {4, "UTF8_without_BOM"}, {5, "none_found"},
    };
    for (auto [code, name] : cases)
        EXPECT_EQ(gf_charsetName(code), name);
    EXPECT_THROW(gf_charsetName(6), std::out_of_range);
    EXPECT_THROW(gf_charsetName(-1), std::out_of_range);
}

TEST(Encoding, Utf8Validity)
{
    EXPECT_TRUE(gf_isValidUtf8(""));
    EXPECT_TRUE(gf_isValidUtf8("\xF0\x90\x80\x80"));
    EXPECT_FALSE(gf_isValidUtf8("\xF0\x8F\x80\x80")); // overlong
    EXPECT_FALSE(gf_isValidUtf8("\xE0\x9F\x80"));     // overlong
    EXPECT_FALSE(gf_isValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_FALSE(gf_isValidUtf8("\xC1\xBF"));
    EXPECT_FALSE(gf_isValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(gf_isValidUtf8("\xC3"));
    EXPECT_FALSE(gf_isValidUtf8("\xED\xA0\x80")); // an encoded surrogate
}

// The check skips the ASCII bytes before the first other one: on random
// texts it agrees with the strict converter given the whole text.
TEST(Encoding, Utf8ValidityAgreesWithTheConverter)
{
    const unsigned char alphabet[] = {'a',  '\n', 0x00, 0x7F, 0x80, 0xBF, 0xC2, 0xC3, 0xA9,
                                      0xE0, 0xED, 0xA0, 0xEF, 0xBB, 0xF0, 0x90, 0xF4, 0xFF};
    std::mt19937 random(34);
    std::uniform_int_distribution<std::size_t> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    for (int i = 0; i < 5000; ++i)
    {
        std::string text(length(random), 'x');
        for (char& c : text)
            c = static_cast<char>(alphabet[pick(random)]);
        bool converts = true;
        try
        {
            gf_utf8ToWide(text);
        }
        catch (const std::runtime_error&)
        {
            converts = false;
        }
        EXPECT_EQ(gf_isValidUtf8(text), converts) << ::testing::PrintToString(text);
    }
}

} // namespace
} // namespace ovr
