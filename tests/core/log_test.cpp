#include "core/log.h"

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/log_detail.h"
#include "test_support.h"

namespace ovr
{
namespace
{

using test::LogCapture;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Lines written while this file's statics are built, before main and before
// the log's own file is initialised in link order: they must be harmless.
bool lf_loggedAtStaticInitialisation()
{
    gf_log("static initialisation");
    gf_logWarning("static initialisation");
    return true;
}
const bool g_loggedAtStaticInitialisation = lf_loggedAtStaticInitialisation();

TEST(Log, WritingBeforeTheLogIsOpenIsSafeEvenDuringStaticInitialisation)
{
    EXPECT_TRUE(g_loggedAtStaticInitialisation);
    LogCapture log;
    EXPECT_EQ(log.text().find("static initialisation"), std::string::npos);
}

TEST(Log, HeaderNamesTimeProgramVersionAndSimulators)
{
    LogCapture log;
    std::string text = log.text();
    EXPECT_TRUE(
        test::matchesShape(text, "Aaa Aaa 99 99:99:99 9999 (utc) Vora version 12.5.5 for MSFS 2020/2024\n"))
        << text;
}

struct LineCase
{
    void (*write)(std::string_view);
    std::string_view text;
    std::string_view line;
};

TEST(Log, LineForms)
{
    const LineCase cases[] = {
        {gf_log, "plain", "plain\n"},           {gf_log, "", "\n"},
        {gf_log, "two\nlines", "two\nlines\n"}, {gf_logWarning, "bad", "==> bad\n"},
        {gf_logWarning, "", "==> \n"},          {gf_logContinuation, "more", "          more\n"},
    };
    for (const LineCase& c : cases)
    {
        LogCapture log;
        std::string header = log.text();
        c.write(c.text);
        EXPECT_EQ(log.text().substr(header.size()), c.line) << c.text;
    }
}

TEST(Log, NothingIsWrittenWhileClosed)
{
    TempDir dir;
    detail::openLogAt(dir / "Log.txt");
    detail::closeLog();
    std::string before = readFile(dir / "Log.txt");
    gf_log("dropped");
    gf_logWarning("dropped");
    EXPECT_EQ(readFile(dir / "Log.txt"), before);
}

TEST(Log, QuietLinesStopWithStopOrClose)
{
    LogCapture log;
    gf_logUnlessQuiet("one");
    gf_logParameterValue("DESTINATION", "EHAM");
    g_stop = 1;
    gf_logUnlessQuiet("two");
    gf_logParameterValue("DESTINATION", "x");
    g_stop = 0;
    g_userClosed = 1;
    gf_logUnlessQuiet("three");
    g_userClosed = 0;
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"one", "DESTINATION=\"EHAM\""}));
}

TEST(Log, OpeningRotatesThreeGenerations)
{
    TempDir dir;
    writeFile(dir / "Log.txt", "current");
    writeFile(dir / "Log0.txt", "first");
    writeFile(dir / "Log00.txt", "second");
    writeFile(dir / "Log000.txt", "third");
    detail::openLogAt(dir / "Log.txt");
    gf_log("new");
    detail::closeLog();
    EXPECT_EQ(readFile(dir / "Log0.txt"), "current");
    EXPECT_EQ(readFile(dir / "Log00.txt"), "first");
    EXPECT_EQ(readFile(dir / "Log000.txt"), "second");
    std::string log = readFile(dir / "Log.txt");
    EXPECT_NE(log.find(" (utc) Vora version "), std::string::npos);
    EXPECT_TRUE(log.ends_with("\nnew\n"));
}

TEST(Log, ThreeOpeningsFillTheGenerationsInTurn)
{
    TempDir dir;
    for (std::string_view run : {"run1", "run2", "run3", "run4"})
    {
        detail::openLogAt(dir / "Log.txt");
        gf_log(run);
        detail::closeLog();
    }
    EXPECT_TRUE(readFile(dir / "Log.txt").ends_with("run4\n"));
    EXPECT_TRUE(readFile(dir / "Log0.txt").ends_with("run3\n"));
    EXPECT_TRUE(readFile(dir / "Log00.txt").ends_with("run2\n"));
    EXPECT_TRUE(readFile(dir / "Log000.txt").ends_with("run1\n"));
}

TEST(Log, FirstOpeningMakesNoBackupAndNoWarning)
{
    TempDir dir;
    detail::openLogAt(dir / "Log.txt");
    detail::closeLog();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    std::string log = readFile(dir / "Log.txt");
    EXPECT_EQ(log.find("==> "), std::string::npos);
}

TEST(Log, OpeningFailsWithTheFileName)
{
    TempDir dir;
    std::filesystem::path file = dir / "missing-folder" / "Log.txt";
    try
    {
        detail::openLogAt(file);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_EQ(std::string(e.what()), "Failed to write file " + file.string());
    }
}

struct GenerationNameCase
{
    std::string_view file;
    int generation;
    std::string_view expected; // empty: no name
};

TEST(Log, BackupGenerationNames)
{
    const GenerationNameCase cases[] = {
        {"Log.txt", 1, "Log0.txt"},
        {"Log.txt", 3, "Log000.txt"},
        {"dir/parameters.xml", 1, "dir/parameters0.xml"},
        {"a/b.c.d", 2, "a/b.c00.d"},
        // the mark never goes into a folder name
        {"dir.v2/Log.txt", 1, "dir.v2/Log0.txt"},
        {"dir.v2/Log", 1, ""},
        {"noext", 1, ""},
    };
    for (const auto& c : cases)
    {
        auto name = detail::backupGenerationName(c.file, c.generation);
        if (c.expected.empty())
            EXPECT_FALSE(name) << c.file;
        else
            EXPECT_EQ(name.value_or("?"), std::filesystem::path(c.expected)) << c.file;
    }
}

TEST(Log, OneGenerationCopiesAndKeepsTheFile)
{
    LogCapture log;
    TempDir dir;
    writeFile(dir / "parameters.xml", "<root/>");
    EXPECT_TRUE(gf_save1GenerationOf(dir / "parameters.xml"));
    EXPECT_EQ(readFile(dir / "parameters0.xml"), "<root/>");
    EXPECT_EQ(readFile(dir / "parameters.xml"), "<root/>");
    EXPECT_TRUE(gf_save1GenerationOf(dir / "absent.xml"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent0.xml"));
    EXPECT_TRUE(log.lines().empty());
}

TEST(Log, BackupsOfANameWithoutDotAreRefusedWithAWarning)
{
    LogCapture log;
    TempDir dir;
    std::filesystem::path file = dir / "dotted.dir" / "nodot";
    EXPECT_FALSE(gf_save1GenerationOf(file));
    EXPECT_FALSE(gf_saveUpto3GenerationsOf(file));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "==> gf_save1GenerationOf: no dot in filename: " + file.string(),
                               "==> gf_saveUpto3GenerationsOf: no dot in filename: " + file.string(),
                           }));
}

TEST(Log, AFailedCopyStepIsLoggedAndTheOthersStillRun)
{
    LogCapture log;
    TempDir dir;
    writeFile(dir / "x.txt", "x");
    writeFile(dir / "x0.txt", "x0");
    // generation 2 is a folder: copying generation 1 onto it fails
    std::filesystem::create_directory(dir / "x00.txt");
    EXPECT_FALSE(gf_saveUpto3GenerationsOf(dir / "x.txt"));
    EXPECT_EQ(readFile(dir / "x0.txt"), "x");
    auto lines = log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("==> copy " + (dir / "x0.txt").string() + " -> ")) << lines.back();
}

struct BannerCase
{
    int count1, count2;
    bool leading, trailing;
    std::string_view text;
    std::string_view expected;
};

TEST(Log, BannerLines)
{
    const BannerCase cases[] = {
        {3, 0, false, false, "", "****"},         {20, 0, false, true, "ab", "********* ab *********\n"},
        {4, 0, true, false, "ab", "\nab"},        {4, 0, false, false, "abc", "abc"},
        {5, 0, false, false, "abc", "** abc **"}, {6, 2, false, false, "abc", "*** abc ***"},
        {0, 0, true, true, "", "\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_bannerLine(c.count1, c.count2, c.leading, c.trailing, c.text), c.expected)
            << c.count1 << " " << c.text;
}

} // namespace
} // namespace ovr
