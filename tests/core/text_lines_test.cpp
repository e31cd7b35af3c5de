#include "core/text_lines.h"

#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/status_line.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace ovr
{
namespace
{

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(TextLines, Splitting)
{
    const std::pair<std::string_view, Lines> cases[] = {
        {"a\r\n\r\nb\n", {"a", "", "b"}},
        {"a\nb", {"a", "b"}},
        {"", {}},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB\xBFx\n", {"x"}},
        {"\n", {""}},
        {"a\r\r\n", {"a\r"}},
        {"\n\n", {"", ""}},
    };
    for (const auto& [text, lines] : cases)
    {
        Lines out{"kept"};
        gf_splitLines(text, out);
        Lines expected{"kept"};
        expected.insert(expected.end(), lines.begin(), lines.end());
        EXPECT_EQ(out, expected) << text;
    }
}

TEST(TextLines, ReadingAnEmptyStreamRewindsIt)
{
    std::istringstream in("");
    Lines lines;
    gf_readLines(in, lines);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(in.good());
}

struct EncodedCase
{
    const char* what;
    EncodingCode code;
    std::string bytes;
    Lines lines;
};

TEST(TextLines, ReadingEachEncodingGivesUtf8Lines)
{
    const EncodedCase cases[] = {
        {"utf-8", kEncodingUtf8, "caf\xC3\xA9\r\nx", {"caf\xC3\xA9", "x"}},
        {"utf-8 with mark",
         kEncodingUtf8Bom,
         "\xEF\xBB\xBF"
         "a\nb\n",
         {"a", "b"}},
        {"ansi", kEncodingAnsi, "caf\xE9\n\x80", {"caf\xC3\xA9", "\xE2\x82\xAC"}},
        {"utf-16 LE with mark",
         kEncodingUtf16Le,
         "\xFF\xFE"
         "a\0\r\0\n\0\xE9\0"s,
         {"a", "\xC3\xA9"}},
        {"utf-16 BE with mark",
         kEncodingUtf16Be,
         "\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00"s,
         {"a", "\xF0\x9F\x98\x80"}},
        // without a mark the detected order is used
        {"utf-16 LE without mark", kEncodingUtf16Le, "a\0\n\0b\0"s, {"a", "b"}},
        {"utf-16 BE without mark", kEncodingUtf16Be, "\0a\0\n\0b"s, {"a", "b"}},
        {"utf-16 mark only", kEncodingUtf16Le, "\xFF\xFE", {}},
    };
    test::TempDir dir;
    for (const EncodedCase& c : cases)
    {
        test::writeFile(dir / "f.cfg", c.bytes);
        // the detection agrees with the case's encoding
        EXPECT_EQ(gf_detectEncoding(dir / "f.cfg"), c.code) << c.what;
        Lines lines{"stale"};
        EXPECT_TRUE(gf_readTextLines(c.code, dir / "f.cfg", lines)) << c.what;
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

struct FailureCase
{
    const char* what;
    EncodingCode code;
    std::string bytes;
    std::string statusEnd; // the status text after "Read failed for '<path>': "
};

TEST(TextLines, ReadFailuresAreShownAndGiveFalse)
{
    const FailureCase cases[] = {
        {"odd utf-16", kEncodingUtf16Le,
         "\xFF\xFE"
         "a\0b"s,
         "UTF-16 text with an odd number of bytes (5)"},
        {"lone surrogate", kEncodingUtf16Le, "\xFF\xFE\x00\xD8"s, "wide_to_utf8: invalid UTF-16"},
        {"not opened", kEncodingNotOpened, "x", "file {} has unknown charset: none_found"},
        {"unknown code", 9, "x", "map::at"},
    };
    test::LogCapture log;
    test::TempDir dir;
    const std::filesystem::path file = dir / "f.cfg";
    for (const FailureCase& c : cases)
    {
        gf_resetStatusLine();
        test::writeFile(file, c.bytes);
        Lines lines{"stale"};
        EXPECT_FALSE(gf_readTextLines(c.code, file, lines)) << c.what;
        std::string end = c.statusEnd;
        if (auto at = end.find("{}"); at != std::string::npos)
            end.replace(at, 2, file.string());
        EXPECT_EQ(gf_statusTexts().status, "Read failed for '" + file.string() + "': " + end) << c.what;
        EXPECT_EQ(log.lines().back(), gf_statusTexts().status) << c.what;
    }
    gf_resetStatusLine();
}

// The reader converts only what it must: a Windows-1252 line of ASCII bytes
// is kept as it is, a UTF-16 unit that is no surrogate is written as UTF-8
// directly and only the runs of surrogates go through the converter. On
// random texts it gives what converting each whole line (Windows-1252) or the
// whole text (UTF-16) gives, failures included.
TEST(TextLines, DecodingAgreesWithWholeConversion)
{
    test::TempDir dir;
    const std::filesystem::path file = dir / "f.cfg";
    std::mt19937 random(34);
    std::uniform_int_distribution<std::size_t> length(0, 40);

    const unsigned char bytes[] = {'a',  ' ',  '=',  '\r', '\n', 0x00, 0x7F, 0x80, 0x81,
                                   0x9D, 0xA0, 0xC3, 0xA9, 0xE9, 0xEF, 0xBB, 0xBF, 0xFF};
    std::uniform_int_distribution<std::size_t> pickByte(0, std::size(bytes) - 1);
    for (int i = 0; i < 500; ++i)
    {
        std::string text(length(random), 'x');
        for (char& c : text)
            c = static_cast<char>(bytes[pickByte(random)]);
        Lines expected;
        gf_splitLines(text, expected);
        for (std::string& line : expected)
            line = gf_acpToUtf8(line);
        test::writeFile(file, text);
        Lines lines{"stale"};
        EXPECT_TRUE(gf_readTextLines(kEncodingAnsi, file, lines));
        EXPECT_EQ(lines, expected) << ::testing::PrintToString(text);
    }

    // A leading FEFF is the byte-order mark, in either order.
    const char16_t units[] = {u'a',   u' ',   u'\r',  u'\n',  0x0000, 0x007F, 0x0080,
                              0x00E9, 0x07FF, 0x0800, 0x20AC, 0xD7FF, 0xE000, 0xFEFF,
                              0xFFFD, 0xFFFF, 0xD83D, 0xDBFF, 0xDE00, 0xDC00, 0xDFFF};
    std::uniform_int_distribution<std::size_t> pickUnit(0, std::size(units) - 1);
    for (int i = 0; i < 500; ++i)
    {
        const bool bigEndian = i % 2 != 0;
        std::wstring wide;
        std::string text;
        for (std::size_t n = length(random); n > 0; --n)
        {
            const char16_t unit = units[pickUnit(random)];
            wide.push_back(static_cast<wchar_t>(unit));
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            text += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        std::optional<Lines> expected = Lines{};
        try
        {
            const bool mark = !wide.empty() && wide.front() == 0xFEFF;
            gf_splitLines(gf_wideToUtf8(std::wstring_view(wide).substr(mark ? 1 : 0)), *expected);
        }
        catch (const std::runtime_error&)
        {
            expected.reset();
        }
        test::writeFile(file, text);
        Lines lines{"stale"};
        EXPECT_EQ(gf_readTextLines(bigEndian ? kEncodingUtf16Be : kEncodingUtf16Le, file, lines), expected.has_value())
            << ::testing::PrintToString(text);
        if (expected)
        {
            EXPECT_EQ(lines, *expected) << ::testing::PrintToString(text);
        }
    }
    gf_resetStatusLine();
}

TEST(TextLines, AMissingFileIsFalseWithoutAMessage)
{
    test::TempDir dir;
    gf_resetStatusLine();
    Lines lines{"stale"};
    EXPECT_FALSE(gf_readTextLines(kEncodingUtf8, dir / "missing.cfg", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(gf_statusTexts().status, "");
}

TEST(TextLines, LineFiles)
{
    test::TempDir dir;
    LineFile file{dir / "link.txt", {"stale"}};
    LinesResult missing = gf_readFileLines(file, 48);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, "open_failed");

    test::writeFile(file.path, "\xEF\xBB\xBF"
                               "EHAM.xml  \r\nsecond");
    LinesResult read = gf_readFileLines(file, 48);
    ASSERT_TRUE(read);
    EXPECT_EQ(Lines(read.lines.begin(), read.lines.end()), (Lines{"EHAM.xml  ", "second"}));
    EXPECT_GE(file.lines.capacity(), 48u);
}

TEST(TextLines, WritingEndsLinesWithLfAlone)
{
    test::TempDir dir;
    EXPECT_TRUE(gf_writeLines({"a", "", "b"}, dir / "l.txt"));
    EXPECT_EQ(test::readFile(dir / "l.txt"), "a\n\nb\n");
    EXPECT_TRUE(gf_writeTextLines("one", dir / "t.txt", true));
    EXPECT_EQ(test::readFile(dir / "t.txt"), "one\n");
    EXPECT_TRUE(gf_writeTextLines("two", dir / "t.txt", false));
    EXPECT_EQ(test::readFile(dir / "t.txt"), "two");
    EXPECT_FALSE(gf_writeLines({"a"}, dir / "no-folder" / "l.txt"));
    // nothing but the two files is left behind
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
} // namespace ovr
