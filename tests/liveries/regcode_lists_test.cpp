// The readers of the registration-code lists: the user's *.TXT files and the
// shipped AIG list.

#include <fstream>

#include <gtest/gtest.h>

#include "liveries/regcode_lists.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

using Regcodes = std::vector<std::string>;

struct LineCase
{
    const char* name;
    const char* line;
    bool entry; // the line gives an entry
    const char* title;
    Regcodes regcodes;
    bool special;
    bool valid;   // the reader's result
    int warnings; // "wrong regcode length" lines
};

const LineCase kLineCases[] = {
    {"title_only", "Title A", true, "Title A", {}, false, true, 0},
    {"five_bytes", "Title", false, "", {}, false, true, 0},
    {"empty_fields_dropped", " ; Title A ;; ", true, "Title A", {}, false, true, 0},
    {"one_regcode_is_special", "Title A;D-AIBA;x", true, "Title A", {"D-AIBA"}, true, true, 0},
    {"one_regcode_two_fields", "Title A;D-AIBA", true, "Title A", {"D-AIBA"}, true, true, 0},
    {"one_regcode_too_short_drops_line", "Title A;AB;#", false, "", {}, false, false, 1},
    {"one_regcode_too_long_drops_line", "Title A;ABCDEFGHIJKLM", false, "", {}, false, false, 1},
    {"twelve_bytes_valid", "Title A;ABCDEFGHIJKL", true, "Title A", {"ABCDEFGHIJKL"}, true, true, 0},
    {"two_not_special", "Title A;D-AIBB,D-AIBA", true, "Title A", {"D-AIBA", "D-AIBB"}, false, true, 0},
    {"two_special", "Title A;D-AIBB,D-AIBA;#", true, "Title A", {"D-AIBA", "D-AIBB"}, true, true, 0},
    {"third_field_not_hash",
     "Title A;D-AIBB,D-AIBA;##",
     true,
     "Title A",
     {"D-AIBA", "D-AIBB"},
     false,
     true,
     0},
    {"sorted_unique_trimmed",
     "Title A; D-AIBB ,D-AIBA,\tD-AIBB",
     true,
     "Title A",
     {"D-AIBA", "D-AIBB"},
     false,
     true,
     0},
    {"one_short_left_out", "Title A;D-AIBA,AB;#", true, "Title A", {"D-AIBA"}, true, false, 1},
    {"all_invalid_drops_line", "Title A;ABCDEFGHIJKLM,NOPQRSTUVWXYZ;#", false, "", {}, false, false, 2},
    {"four_fields_skipped", "Title A;D-AIBA;#;more", false, "", {}, false, true, 0},
};

class RegcodeLineTest : public TablesTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(RegcodeLineTest, GivesTheEntryOfItsLine)
{
    const LineCase& c = GetParam();
    std::vector<RegcodeEntry> out;
    EXPECT_EQ(detail::parseRegcodeLine(c.line, "my.TXT", out), c.valid);
    ASSERT_EQ(out.size(), c.entry ? 1u : 0u);
    if (c.entry)
    {
        EXPECT_EQ(out[0].title, c.title);
        EXPECT_EQ(out[0].regcodes, c.regcodes);
        EXPECT_EQ(out[0].special, c.special);
    }
    EXPECT_EQ(logLinesWith("==> wrong regcode length '").size(), static_cast<std::size_t>(c.warnings));
}

INSTANTIATE_TEST_SUITE_P(Cases, RegcodeLineTest, ::testing::ValuesIn(kLineCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(RegcodeLineTest, WarningNamesTheRegcodeAndTheFile)
{
    std::vector<RegcodeEntry> out;
    detail::parseRegcodeLine("Title A;D-AIBA,AB", "input/my_regcodes/my.TXT", out);
    EXPECT_EQ(logLinesWith("wrong"),
              std::vector<std::string>{"==> wrong regcode length 'AB' in input/my_regcodes/my.TXT"});
}

TEST_F(TablesTest, RegcodeFilesOfAnyTxtCaseAreReadInNameOrderWithoutSubFolders)
{
    writeMyRegcodes("b.txt", "\xEF\xBB\xBFTitle B;D-AIBB\r\n");
    writeMyRegcodes("a.TXT", "Title A;D-AIBA\nTitle C");
    writeMyRegcodes("c.Txt", "");
    writeMyRegcodes("d.txt.bak", "Title D;D-AIBD\n");
    writeMyRegcodes("e.xml", "Title E;D-AIBE\n");
    fs::create_directories("input/my_regcodes/sub.TXT");
    std::ofstream("input/my_regcodes/sub.TXT/f.TXT") << "Title F;D-AIBF\n";

    std::vector<RegcodeEntry> out(1); // what the caller had stays
    EXPECT_TRUE(lf_readRegcodeFiles("input/my_regcodes", out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1].title, "Title A");
    EXPECT_EQ(out[2].title, "Title C");
    EXPECT_EQ(out[3].title, "Title B");
    EXPECT_EQ(out[3].regcodes, Regcodes{"D-AIBB"});
    EXPECT_EQ(logLinesWith(" read from "),
              (std::vector<std::string>{"    3 liveries read from input/my_regcodes/a.TXT",
                                        "    4 liveries read from input/my_regcodes/b.txt",
                                        "    4 liveries read from input/my_regcodes/c.Txt"}));
}

TEST_F(TablesTest, RegcodeFolderThatCannotBeListedKeepsWhatWasRead)
{
    std::vector<RegcodeEntry> out(2);
    EXPECT_FALSE(lf_readRegcodeFiles("input/no_such_folder", out));
    EXPECT_EQ(out.size(), 2u);
    ASSERT_EQ(logLinesWith("Error reading regcode files in input/no_such_folder, what: ").size(), 1u);
}

// An entry of the folder that cannot be read is reported; the lists read
// around it are kept.
TEST_F(TablesTest, RegcodeEntryThatCannotBeReadIsReportedAndTheOthersKept)
{
    writeMyRegcodes("a.txt", "Title A;D-AIBA\n");
    writeMyRegcodes("c.txt", "Title C;D-AIBC\n");
    fs::create_symlink("loop.txt", "input/my_regcodes/loop.txt");
    std::vector<RegcodeEntry> out;
    EXPECT_FALSE(lf_readRegcodeFiles("input/my_regcodes", out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].title, "Title A");
    EXPECT_EQ(out[1].title, "Title C");
    EXPECT_EQ(logLinesWith("==> regcode file input/my_regcodes/loop.txt skipped: ").size(), 1u);
}

// Lists saved as UTF-16 (either order, with its mark) or Windows-1252 give
// the UTF-8 titles the scan wrote.
TEST_F(TablesTest, RegcodeFilesInOtherEncodingsAreConverted)
{
    const std::string text = "Title K\xC3\xB6ln;D-AIBA\r\n";
    std::string le = "\xFF\xFE";
    std::string be = "\xFE\xFF";
    // ASCII apart from one 0xF6 (U+00F6).
    for (char c : std::string("Title K\xF6ln;D-AIBA\r\n"))
    {
        le += c;
        le += '\0';
        be += '\0';
        be += c;
    }
    writeMyRegcodes("a.txt", le);
    writeMyRegcodes("b.txt", be);
    writeMyRegcodes("c.txt", "Title K\xF6ln;D-AIBA\n");
    writeMyRegcodes("d.txt", text);
    std::vector<RegcodeEntry> out;
    EXPECT_TRUE(lf_readRegcodeFiles("input/my_regcodes", out));
    ASSERT_EQ(out.size(), 4u);
    for (const RegcodeEntry& entry : out)
    {
        EXPECT_EQ(entry.title, "Title K\xC3\xB6ln");
        EXPECT_EQ(entry.regcodes, Regcodes{"D-AIBA"});
    }
}

struct AigCase
{
    const char* name;
    const char* document;
    bool result;
    std::size_t entries;
    const char* warning; // the start of the expected warning, or ""
};

const AigCase kAigCases[] = {
    {"unparsable", "<root><aig>", false, 0, "==> Failed to load "},
    {"no_meta", "<root><aig><l t=\"A\"/></aig></root>", false, 0, "==> "},
    {"meta_without_sim_marker",
     "<root><meta><info name=\"copyright\" value=\"c\"/></meta><aig><l t=\"A\"/></aig></root>", false, 0,
     "==> "},
    {"no_aig",
     "<root><meta><info name=\"copyright\" value=\"c\"/><info name=\"sim\" value=\"1\"/></meta></root>",
     false, 0, "==> No <aig> node found in XML."},
    {"entries",
     "<root><meta><info name=\"copyright\" value=\"c\"/><info name=\"MSFS\" value=\"1\"/></meta><aig>"
     "<l t=\"A\" r=\"X2,X1, X2\" s=\"true\"/><l t=\"\" r=\"X3\"/><l r=\"X3\"/><l t=\"B\"/><l t=\"B\" "
     "r=\"X4\"/>"
     "<l t=\"C\" r=\"\"/><l t=\"B\" r=\"X5\"/></aig></root>",
     true, 4, "==> Duplicate title 'B' (same as previous)"},
    // A list of only commas and blanks is no "don't use" title.
    {"registrations_of_only_commas",
     "<root><meta><info name=\"copyright\" value=\"c\"/><info name=\"MSFS\" value=\"1\"/></meta><aig>"
     "<l t=\"A\" r=\" , ,\"/><l t=\"B\" r=\"X1\"/><l t=\"C\" r=\"\"/></aig></root>",
     true, 2, "==> Entry 'A' lists no registration in r=\" , ,\", skipped"},
};

class AigRegcodesTest : public TablesTest, public ::testing::WithParamInterface<AigCase>
{
};

TEST_P(AigRegcodesTest, ReadsOrRefusesTheList)
{
    const AigCase& c = GetParam();
    std::string text(c.document);
    std::vector<RegcodeEntry> out;
    EXPECT_EQ(lf_readAigRegcodes(text, out), c.result);
    EXPECT_EQ(out.size(), c.entries);
    const std::vector<std::string> warnings = logLinesWith("==> ");
    if (*c.warning == '\0')
        EXPECT_TRUE(warnings.empty());
    else
    {
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].starts_with(c.warning)) << warnings[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AigRegcodesTest, ::testing::ValuesIn(kAigCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(AigRegcodesTest, EntriesKeepTheirRegcodesSpecialFlagAndRepeatedTitles)
{
    std::string text(kAigCases[4].document);
    std::vector<RegcodeEntry> out;
    ASSERT_TRUE(lf_readAigRegcodes(text, out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].title, "A");
    EXPECT_EQ(out[0].regcodes, (Regcodes{"X1", "X2"}));
    EXPECT_TRUE(out[0].special);
    EXPECT_EQ(out[1].title, "B");
    EXPECT_TRUE(out[1].regcodes.empty());
    EXPECT_FALSE(out[1].special);
    EXPECT_EQ(out[2].title, "C");
    EXPECT_TRUE(out[2].regcodes.empty());
    // The same title after a different one is taken again.
    EXPECT_EQ(out[3].title, "B");
    EXPECT_EQ(out[3].regcodes, Regcodes{"X5"});
    EXPECT_EQ(logLinesWith("read from"),
              std::vector<std::string>{"    4 liveries read from AIG-regcodes.xml"});
}

// The list is decrypted in memory: neither a good nor a broken one leaves a
// plain copy beside the encrypted file.
TEST_F(AigRegcodesTest, TheListIsDecryptedInMemoryOnly)
{
    for (const char* document : {kAigCases[4].document, "<root>"})
    {
        writeAigDocument(document);
        std::string text;
        ASSERT_TRUE(lf_decryptAigRegcodes(text));
        EXPECT_EQ(text, document);
        EXPECT_FALSE(fs::exists("input/AIG-regcodes.xml"));
    }
    std::vector<RegcodeEntry> out;
    std::string broken = "<root>";
    EXPECT_FALSE(lf_readAigRegcodes(broken, out));
    EXPECT_EQ(logLinesWith("==> Failed to load"), std::vector<std::string>{"==> Failed to load input/AIG-regcodes.xml"});
}

TEST_F(AigRegcodesTest, AListThatDoesNotDecryptGivesNoText)
{
    std::ofstream("input/AIG-regcodes.enc", std::ios::binary) << "not a secret stream at all";
    std::string text = "left from before";
    EXPECT_FALSE(lf_decryptAigRegcodes(text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(fs::exists("input/AIG-regcodes.xml"));
}

} // namespace
} // namespace ovr::test
