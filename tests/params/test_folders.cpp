#include "core/known_folders.h"
#include "core/paths.h"
#include "core/shell_open.h"
#include "platform/win/test_support.h"
#include "test_support.h"

namespace ovr::test
{
namespace
{

class Folders : public TempFolderTest
{
  protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        platform_test::reset();
    }

    void TearDown() override
    {
        platform_test::reset();
        TempFolderTest::TearDown();
    }
};

TEST_F(Folders, AppDataFoldersComeFromTheKnownFolders)
{
    platform_test::setKnownFolder(FOLDERID_RoamingAppData, dir() / "roaming");
    platform_test::setKnownFolder(FOLDERID_LocalAppData, dir() / "local");
    EXPECT_EQ(gf_appDataPath(), dir() / "roaming");
    EXPECT_EQ(gf_localAppDataPath(), dir() / "local");
    EXPECT_EQ(gf_knownFolderPath(FOLDERID_RoamingAppData), (dir() / "roaming").wstring());
}

TEST_F(Folders, MissingKnownFolderGivesAnEmptyPathAndAWarning)
{
    platform_test::setKnownFolder(FOLDERID_RoamingAppData, std::nullopt);
    platform_test::setKnownFolder(FOLDERID_LocalAppData, std::nullopt);
    EXPECT_EQ(gf_knownFolderPath(FOLDERID_RoamingAppData), std::nullopt);
    EXPECT_TRUE(gf_appDataPath().empty());
    EXPECT_TRUE(gf_localAppDataPath().empty());
    EXPECT_NE(logText().find("==> Could not find the AppData path\n"), std::string::npos);
    EXPECT_NE(logText().find("==> Could not find the Local AppData path\n"), std::string::npos);
}

TEST_F(Folders, ShellOpensTheFolderThatHoldsThePath)
{
    writeFile(dir() / "LiveriesScanned.xml", "<root/>");
    const struct
    {
        const char* name;
        std::filesystem::path path;
        std::optional<INT_PTR> answer;
        bool opened;
        bool called;
    } cases[] = {
        {"existing file", dir() / "LiveriesScanned.xml", 42, true, true},
        {"shell refuses", dir() / "LiveriesScanned.xml", 2, false, true},
        {"missing path", dir() / "none.xml", 42, false, false},
        {"no parent folder", "relative-name-without-folder", 42, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        platform_test::setShellExecuteResult(c.answer);
        EXPECT_EQ(gf_openWithShell(c.path), c.opened);
        const std::vector<platform_test::ShellExecuteCall> calls = platform_test::shellExecuteCalls();
        ASSERT_EQ(calls.size(), c.called ? 1u : 0u);
        if (c.called)
        {
            EXPECT_EQ(calls[0].operation, "open");
            EXPECT_EQ(calls[0].file, dir().string());
            EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
        }
    }
}

TEST(PathGlobals, RelativeJoinsUnderTheWorkingFolder)
{
    const struct
    {
        const std::filesystem::path& path;
        const char* expected;
    } cases[] = {
        {g_dbaseEncPath, "input/dbase.enc"},
        {g_aigRegcodesXmlPath, "input/AIG-regcodes.xml"},
        {g_myRegcodesPath, "input/my_regcodes"},
        {g_objectIdListTxtPath, "output/info/ObjectIdList.txt"},
        {g_incompleFltsimSectionsTxtPath, "output/errors/IncompleFltsimSections.txt"},
        {g_learnedThirdpartyPath, "airports/learned/thirdparty"},
        {g_myParkAirportsTxtPath, "airports/my_park_airports.txt"},
        {g_tbloZipPath, "tblo.zip"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.path.generic_string(), c.expected);
        EXPECT_TRUE(c.path.is_relative()) << c.expected;
    }
    EXPECT_EQ(g_parametersFile.filename(), "parameters.xml");
    EXPECT_EQ(g_parametersFile.parent_path(), g_appDataFolder);
    EXPECT_EQ(g_appDataFolder.filename(), "Vora");
    EXPECT_EQ(g_xxx.text(), "XXX");
}

} // namespace
} // namespace ovr::test
