#include "core/files.h"

#include <set>

#include <gtest/gtest.h>

#include "test_support.h"

namespace ovr
{
namespace
{

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class FolderWithFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* name : {"a.xml", "B.XML", "c.txt"})
            test::writeFile(dir / name, name);
        fs::create_directory(dir / "sub.xml");
        test::writeFile(dir / "sub.xml" / "inner.xml", "x");
    }
    test::TempDir dir;
};

TEST_F(FolderWithFiles, XmlVariantRemovesOnlyXmlFiles)
{
    gf_removeXMLFilesFromDirectory(dir.path());
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"c.txt", "sub.xml"}));
    EXPECT_TRUE(fs::exists(dir / "sub.xml" / "inner.xml"));
}

TEST_F(FolderWithFiles, GeneralVariantRemovesEveryFileAndKeepsFolders)
{
    gf_removeFilesFromDirectory(dir.path());
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"sub.xml"}));
}

TEST_F(FolderWithFiles, CountingEntries)
{
    EXPECT_EQ(gf_countFolderEntries(dir.path()), 4);
    EXPECT_EQ(gf_countFolderEntries(dir / "missing"), 0);
    EXPECT_THROW(gf_countFolderEntries(dir / "c.txt"), fs::filesystem_error);
}

TEST(Files, EmptyingAMissingFolderOrAFileDoesNothing)
{
    test::LogCapture log;
    test::TempDir dir;
    test::writeFile(dir / "f.xml", "x");
    gf_removeFilesFromDirectory(dir / "missing");
    gf_removeXMLFilesFromDirectory(dir / "f.xml");
    EXPECT_TRUE(fs::exists(dir / "f.xml"));
    EXPECT_TRUE(log.lines().empty());
}

TEST(Files, RemoveFileWarn)
{
    test::LogCapture log;
    test::TempDir dir;
    test::writeFile(dir / "f.xml", "x");
    gf_removeFileWarn(dir / "f.xml");
    EXPECT_FALSE(fs::exists(dir / "f.xml"));
    gf_removeFileWarn(dir / "f.xml"); // missing is no error
    // a non-empty folder cannot be removed as a file
    fs::create_directory(dir / "full");
    test::writeFile(dir / "full" / "x", "x");
    gf_removeFileWarn(dir / "full");
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(
        lines[0].starts_with("==> Warning: could not remove " + (dir / "full").string() + ", errorcode: "))
        << lines[0];
}

TEST(Files, AirportFilesOfAFolder)
{
    test::LogCapture log;
    test::TempDir dir;
    for (const char* name : {"LFPG.XML", "EHAM.xml", "eham2.xml", "EGLL.txt", "EH-M.xml", "kjfk.Xml"})
        test::writeFile(dir / name, "<root/>");
    fs::create_directory(dir / "EDDF.xml");
    auto codes = gf_listIcaoXmlFiles(dir.path());
    EXPECT_EQ(codes,
              (std::vector<FixedCode<4>>{FixedCode<4>("EHAM"), FixedCode<4>("LFPG"), FixedCode<4>("KJFK")}));
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "==> gf_listIcaoXmlFiles: " + (dir / "EH-M.xml").string() +
                            " skipped: 'EH-M' FixedCode: invalid string (length/charset)");
    EXPECT_TRUE(gf_listIcaoXmlFiles(dir / "missing").empty());
}

TEST(Files, ReplacingAFileIsAllOrNothing)
{
    test::TempDir dir;
    const fs::path file = dir / "data.txt";
    test::writeFile(file, "old");
    EXPECT_FALSE(gf_replaceFile(file,
                                [](std::ostream& out)
                                {
                                    out << "half";
                                    return false;
                                }));
    EXPECT_EQ(test::readFile(file), "old");
    EXPECT_TRUE(gf_replaceFile(file,
                               [](std::ostream& out)
                               {
                                   out << "new";
                                   return true;
                               }));
    EXPECT_EQ(test::readFile(file), "new");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.txt"});
}

// A save cut short (the process killed while it wrote) leaves one temporary
// file, always of the same name, which the next save reuses: leftovers never
// pile up, and the start removes the one there is.
TEST(Files, ASaveCutShortLeavesOneTemporaryFileThatTheNextSaveReuses)
{
    test::TempDir dir;
    const fs::path file = dir / "data.txt";
    for (int save = 0; save < 3; ++save)
    {
        std::set<std::string> during;
        EXPECT_TRUE(gf_replaceFile(file,
                                   [&](std::ostream& out)
                                   {
                                       out << "v" << save;
                                       out.flush();
                                       during = namesIn(dir.path());
                                       return true;
                                   }));
        EXPECT_TRUE(during.count("data.txt.tmp") == 1) << save;
        // What a kill during the write would have left.
        test::writeFile(dir / "data.txt.tmp", "half");
    }
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"data.txt", "data.txt.tmp"}));
    EXPECT_EQ(test::readFile(file), "v2");
    gf_removeLeftoverTemporary(file);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.txt"});
}

} // namespace
} // namespace ovr
