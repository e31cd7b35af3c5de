#include "core/paths.h"
#include "core/upgrade.h"
#include "parameters_fixture.h"

namespace ovr::test
{
namespace
{

// Runs in a program folder of its own: the data files are relative paths.
class Upgrade : public ParametersFileTest
{
  protected:
    void SetUp() override
    {
        ParametersFileTest::SetUp();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir());
        std::filesystem::create_directories(g_inputPath);
        std::filesystem::create_directories(g_newVersionPath / "sub");
        for (const std::filesystem::path* f : {&g_airportsEncPath, &g_aigRegcodesEncPath, &g_dbaseEncPath,
                                               &g_airportsXmlPath, &g_aigRegcodesXmlPath, &g_dbaseXmlPath})
        {
            writeFile(*f, "data");
        }
        writeFile(g_newVersionPath / "sub" / "setup.exe", "new");
    }

    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        ParametersFileTest::TearDown();
    }

    static bool encFilesKept()
    {
        return std::filesystem::exists(g_airportsEncPath) && std::filesystem::exists(g_aigRegcodesEncPath) &&
               std::filesystem::exists(g_dbaseEncPath);
    }

    static bool plainFilesKept()
    {
        return std::filesystem::exists(g_airportsXmlPath) || std::filesystem::exists(g_aigRegcodesXmlPath) ||
               std::filesystem::exists(g_dbaseXmlPath);
    }

  private:
    std::filesystem::path previous_;
};

struct StoredVersion
{
    const char* name;
    const char* stored;
    bool updateLogged;
    bool encKept;
    bool newVersionKept;
};

const StoredVersion kVersions[] = {
    {"older_minor", "12.4.0", true, true, false}, {"before_12", "11.9.9", true, false, false},
    {"newer", "13.0.0", false, true, true},       {"same", "12.5.5", false, true, true},
    {"unreadable", "twelve", false, true, true},
};

class UpgradeFrom : public Upgrade, public ::testing::WithParamInterface<StoredVersion>
{
};

TEST_P(UpgradeFrom, StampsTheRunningVersionAndClearsUp)
{
    const StoredVersion& v = GetParam();
    writeParameters(std::string(R"(<parameter name="PROGRAM_VERSION" value=")") + v.stored + "\"/>");
    lf_convertOldParameters();
    EXPECT_EQ(PROGRAM_VERSION.value(), "12.5.5");
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "12.5.5");
    EXPECT_EQ(logHas(std::string("\nThis is a version update from ") + v.stored + " -> 12.5.5\n"),
              v.updateLogged)
        << logText();
    EXPECT_EQ(encFilesKept(), v.encKept);
    EXPECT_EQ(std::filesystem::exists(g_newVersionPath), v.newVersionKept);
    EXPECT_FALSE(plainFilesKept());
}

INSTANTIATE_TEST_SUITE_P(Versions, UpgradeFrom, ::testing::ValuesIn(kVersions), caseName);

TEST_F(Upgrade, NewInstallationScansLiveriesAndAirports)
{
    SCAN_LIVERIES.current = false;
    SCAN_AIRPORTS.current = false;
    lf_convertOldParameters();
    EXPECT_TRUE(SCAN_LIVERIES.current);
    EXPECT_TRUE(SCAN_AIRPORTS.current);
    EXPECT_EQ(fileValue("SCAN_LIVERIES"), "true");
    EXPECT_EQ(fileValue("SCAN_AIRPORTS"), "true");
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "12.5.5");
    const std::vector<std::string> all = shown();
    const std::vector<std::string> last(all.end() - 2, all.end());
    EXPECT_EQ(last, (std::vector<std::string>{"SCAN_LIVERIES", "SCAN_AIRPORTS"}));
    EXPECT_TRUE(encFilesKept());
}

TEST_F(Upgrade, FileWithoutAVersionIsOnlyStamped)
{
    writeParameters(R"(<parameter name="RANGE" value="8"/>)");
    lf_convertOldParameters();
    EXPECT_EQ(fileValue("PROGRAM_VERSION"), "12.5.5");
    EXPECT_TRUE(encFilesKept());
    EXPECT_TRUE(plainFilesKept());
    EXPECT_TRUE(std::filesystem::exists(g_newVersionPath));
}

} // namespace
} // namespace ovr::test
