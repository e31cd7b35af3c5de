// The registration tables: in-line registrations of the scanned liveries,
// the AIG list and the user's lists merged in that order, and their reports.

#include <fstream>

#include <gtest/gtest.h>

#include "liveries/livery_tables.h"
#include "liveries/regcode_tables.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

using Lines = std::vector<std::string>;

class RegcodeTablesTest : public TablesTest
{
  protected:
    std::string titleOf(std::string_view registration) const
    {
        const auto found = g_regcodeTitles.find(registration);
        return found == g_regcodeTitles.end() ? "<none>" : std::string(found->second);
    }
    static Lines lines(const fs::path& file)
    {
        Lines result;
        std::ifstream in(file, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }
};

TEST_F(RegcodeTablesTest, TheFirstLiveryKeepsAnInlineRegistrationAndEachClashIsReported)
{
    writeScanned({livery("DLH", "A320", "A320 one", "D-AIZB"), livery("DLH", "A320", "A320 two", "D-AIZB"),
                  livery("DLH", "A321", "A321 one", "D-AIDA"), livery("KLM", "A321", "A321 one", "D-AIDB")});
    gf_processScannedLiveries();
    EXPECT_EQ(titleOf("D-AIZB"), "A320 one");
    EXPECT_EQ(titleOf("D-AIDB"), "A321 one");
    EXPECT_EQ(g_titleRegistrations.at(lf_findLiveryTitle("A321 one")), "D-AIDA");
    EXPECT_EQ(lines("output/errors/InlineRegcodes.txt"),
              (Lines{"D-AIZB 'A320 two' => already in use by 'A320 one'",
                     "A321 one 'D-AIDB' => already in use by 'D-AIDA'"}));
    EXPECT_EQ(logLinesWith("in-line"),
              Lines{"    2 in-line regcode clashes, see 'output/errors/InlineRegcodes.txt'"});
}

TEST_F(RegcodeTablesTest, WithoutClashesNoInlineFileIsWritten)
{
    writeScanned({livery("DLH", "A320", "A320 one", "D-AIZB")});
    gf_processScannedLiveries();
    EXPECT_FALSE(fs::exists("output/errors/InlineRegcodes.txt"));
    EXPECT_TRUE(logLinesWith("in-line").empty());
}

TEST_F(RegcodeTablesTest, AnErrorsFolderThatCannotBeMadeIsAWarningAndTheBuildGoesOn)
{
    writeScanned({livery("DLH", "A320", "A320 one", "D-AIZB"), livery("DLH", "A320", "A320 two", "D-AIZB")});
    std::ofstream("output/errors") << "a file where the folder belongs";
    gf_processScannedLiveries();
    EXPECT_EQ(g_scannedLiveriesProcessed.load(), 1);
    EXPECT_EQ(titleOf("D-AIZB"), "A320 one");
    EXPECT_EQ(logLinesWith("==> could not create output/errors").size(), 1u);
    // The log names no file that was not written.
    EXPECT_EQ(logLinesWith("in-line"), Lines{"    1 in-line regcode clashes"});
}

TEST_F(RegcodeTablesTest, OfflineListsReplaceInlineRegistrationsAndTheUsersListsWinOverTheAigList)
{
    writeScanned({livery("DLH", "A320", "A320 one", "D-AIZB"), livery("DLH", "A320", "A320 two"),
                  livery("DLH", "A321", "A321 one"), livery("KLM", "A321", "A321 KLM")});
    writeAig(R"(<l t="A320 two" r="D-AIZB,D-AIZC"/><l t="A321 one" r="D-AIDA,D-AIDB" s="true"/>)"
             R"(<l t="Not installed" r="D-XXXX" s="true"/><l t="A321 KLM"/>)");
    writeMyRegcodes("mine.TXT", "A321 KLM;D-AIDB\nA320 one;D-AIZD;#\n");
    gf_processScannedLiveries();

    EXPECT_EQ(titleOf("D-AIZB"), "A320 two");
    EXPECT_EQ(titleOf("D-AIZC"), "A320 two");
    EXPECT_EQ(titleOf("D-AIDA"), "A321 one");
    EXPECT_EQ(titleOf("D-AIDB"), "A321 KLM");
    EXPECT_EQ(titleOf("D-AIZD"), "A320 one");
    EXPECT_EQ(titleOf("D-XXXX"), "<none>");
    EXPECT_EQ(g_specialRegcodes, (std::set<std::string, std::less<>>{"D-AIDA", "D-AIDB", "D-AIZD"}));
    EXPECT_EQ(g_uniqueRegcodes, (std::set<std::string, std::less<>>{"D-AIDB", "D-AIZD"}));
    EXPECT_EQ(std::vector<std::string>(g_boundTitles.begin(), g_boundTitles.end()),
              (Lines{"A321 one", "A321 KLM", "A320 one"}));
    EXPECT_EQ(lines("output/info/OfflineRegcodes.txt"),
              (Lines{"Processing file input/AIG-regcodes.xml",
                     "   regcode D-AIZB for 'A320 two', instead of the same for 'A320 one'",
                     "3 new regcodes added, 1 regcode replaced, 1 regcode defined as special",
                     "Processing files in input/my_regcodes",
                     "   regcode D-AIDB for 'A321 KLM', instead of the same for 'A321 one'",
                     "1 new regcode added, 1 regcode replaced, 2 regcodes defined as special"}));
    EXPECT_EQ(logLinesWith("special liveries"), Lines{"    3 special liveries"});
    EXPECT_EQ(logLinesWith("unique liveries"), Lines{"    2 unique liveries"});
    EXPECT_EQ(
        logLinesWith("Offline regcode files processed"),
        Lines{"Offline regcode files processed, results can be found in 'output/info/OfflineRegcodes.txt'"});
    EXPECT_FALSE(fs::exists("input/AIG-regcodes.xml"));
}

TEST_F(RegcodeTablesTest, ASingleNewRegistrationIsSummedUpInTheSingular)
{
    writeScanned({livery("DLH", "A320", "A320 one")});
    writeAig(R"(<l t="A320 one" r="D-AIZB"/>)");
    gf_processScannedLiveries();
    EXPECT_EQ(lines("output/info/OfflineRegcodes.txt"),
              (Lines{"Processing file input/AIG-regcodes.xml", "1 new regcode added"}));
    EXPECT_TRUE(logLinesWith("special liveries").empty());
}

TEST_F(RegcodeTablesTest, AMissingAigListIsLoggedAndTheUsersListsAreStillRead)
{
    writeScanned({livery("DLH", "A320", "A320 one")});
    writeMyRegcodes("mine.txt", "A320 one;D-AIZB\n");
    gf_processScannedLiveries();
    EXPECT_EQ(titleOf("D-AIZB"), "A320 one");
    EXPECT_EQ(logLinesWith("==> input/AIG-regcodes.enc not read").size(), 1u);
    EXPECT_EQ(lines("output/info/OfflineRegcodes.txt"),
              (Lines{"Processing files in input/my_regcodes",
                     "1 new regcode added, 1 regcode defined as special"}));
}

TEST_F(RegcodeTablesTest, ABrokenAigListLeavesNoPlainCopyAndReportsItsErrors)
{
    writeScanned({livery("DLH", "A320", "A320 one")});
    writeAigDocument("<root><aig><l t=\"A320 one\" r=\"D-AIZB\"/></aig></root>"); // no meta block
    gf_processScannedLiveries();
    EXPECT_EQ(titleOf("D-AIZB"), "<none>");
    EXPECT_FALSE(fs::exists("input/AIG-regcodes.xml"));
    EXPECT_EQ(
        lines("output/info/OfflineRegcodes.txt"),
        (Lines{"Processing file input/AIG-regcodes.xml",
               "There were errors processing the AIG-regcode file 'input/AIG-regcodes.xml', see Log.txt",
               "0 new regcodes added"}));
}

TEST_F(RegcodeTablesTest, ALeftoverReportIsRemovedWhenThereIsNothingToReport)
{
    writeScanned({livery("DLH", "A320", "A320 one")});
    fs::create_directories("output/info");
    std::ofstream("output/info/OfflineRegcodes.txt") << "old\n";
    gf_processScannedLiveries();
    EXPECT_FALSE(fs::exists("output/info/OfflineRegcodes.txt"));
}

} // namespace
} // namespace ovr::test
