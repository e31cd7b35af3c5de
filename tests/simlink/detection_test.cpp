// Finding the simulator's packages folder in a tree of fixtures that stands
// in for the user's AppData folders: a Steam installation first, then the
// folder that UserCfg.opt names.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/parameters.h"
#include "link_fixture.h"
#include "platform/shell/known_folders.h"
#include "platform/win/test_support.h"
#include "simlink/sim_detection.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;

const char* const kFamily2020 = "Microsoft.FlightSimulator_8wekyb3d8bbwe";
const char* const kFamily2024 = "Microsoft.Limitless_8wekyb3d8bbwe";

// The fixture tree: roaming and local AppData and a packages folder.
struct Tree
{
    fs::path root;
    fs::path roaming() const { return root / "roaming"; }
    fs::path local() const { return root / "local"; }
    fs::path packages() const { return root / "packages"; }

    void folders(const fs::path& base, std::initializer_list<const char*> names) const
    {
        for (const char* name : names)
        {
            fs::create_directories(base / name);
        }
    }
    void userCfg(const fs::path& file, const std::string& text) const
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    fs::path userCfg2020() const { return local() / "Packages" / kFamily2020 / "LocalCache" / "UserCfg.opt"; }
    std::string line(const fs::path& folder) const
    {
        return "InstalledPackagesPath \"" + folder.string() + "\"\r\n";
    }
};

struct DetectCase
{
    const char* label;
    bool sim2020;
    std::function<void(const Tree&)> build;
    // Where the folder is found, relative to the root; empty: not found.
    fs::path found;
    std::vector<std::string> logged; // fragments, with "{root}" for the root
};

class Detection : public LinkTest, public ::testing::WithParamInterface<DetectCase>
{
  protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        tree.root = scratch.path() / "tree";
        fs::create_directories(tree.roaming());
        fs::create_directories(tree.local());
        platform_test::setKnownFolder(FOLDERID_RoamingAppData, tree.roaming());
        platform_test::setKnownFolder(FOLDERID_LocalAppData, tree.local());
        clearSettings();
    }
    void TearDown() override
    {
        clearSettings();
        LinkTest::TearDown();
    }
    static void clearSettings()
    {
        MSFS_INSTALL_PATH.setValue("");
        MSFS_2024_INSTALL_PATH.setValue("");
        ALL_INSTALL_PATH.setValue("");
    }

    Tree tree;
};

TEST_P(Detection, FindsThePackagesFolder)
{
    const DetectCase& c = GetParam();
    g_simIs2020.store(c.sim2020 ? 1 : 0);
    c.build(tree);

    const bool found = gf_findMsfsPackagesPath();
    EXPECT_EQ(found, !c.found.empty());
    const std::string expected = c.found.empty() ? std::string() : (tree.root / c.found).string();
    EXPECT_EQ(ALL_INSTALL_PATH.value(), expected);
    EXPECT_EQ((c.sim2020 ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH).value(), expected);
    EXPECT_EQ((c.sim2020 ? MSFS_2024_INSTALL_PATH : MSFS_INSTALL_PATH).value(), "");
    for (std::string fragment : c.logged)
    {
        if (const std::size_t at = fragment.find("{root}"); at != std::string::npos)
        {
            fragment.replace(at, 6, tree.root.string());
        }
        EXPECT_EQ(logCount(fragment), 1) << fragment;
    }
}

const auto kSteam2020 = [](const Tree& at) {
    at.folders(at.roaming() / "Microsoft Flight Simulator" / "Packages", {"Community", "Official"});
};

INSTANTIATE_TEST_SUITE_P(
    Trees, Detection,
    ::testing::Values(
        DetectCase{"Steam",
                   true,
                   kSteam2020,
                   "roaming/Microsoft Flight Simulator/Packages",
                   {"Steam packages: {root}/roaming/Microsoft Flight Simulator/Packages"}},
        DetectCase{"SteamWithoutOfficialThenUserCfg",
                   true,
                   [](const Tree& at)
                   {
                       at.folders(at.roaming() / "Microsoft Flight Simulator" / "Packages", {"Community"});
                       at.folders(at.packages(), {"Community", "Official"});
                       at.userCfg(at.userCfg2020(), "Version 1\r\n" + at.line(at.packages()));
                   },
                   "packages",
                   {"Steam packages: {root}/roaming/Microsoft Flight Simulator/Packages",
                    "UserCfg.opt: InstalledPackagesPath={root}/packages"}},
        DetectCase{
            "LastCandidate",
            true,
            [](const Tree& at)
            {
                at.folders(at.packages(), {"Community", "Official"});
                at.userCfg(at.local() / "MSFSPackages" / "UserCfg.opt", at.line(at.packages()));
            },
            "packages",
            {"MSFS detection, not found: {root}/local/Packages/" + std::string(kFamily2020) +
                 "/LocalCache/UserCfg.opt",
             "MSFS detection, not found: {root}/roaming/Microsoft Flight Simulator/UserCfg.opt",
             "MSFS detection, not found: {root}/local/Packages/Microsoft.FlightDashboard_8wekyb3d8bbwe/"
             "LocalCache/UserCfg.opt"}},
        DetectCase{"OnlyTheFirstKeyLineCounts",
                   true,
                   [](const Tree& at)
                   {
                       at.folders(at.packages(), {"Community", "Official"});
                       at.userCfg(at.userCfg2020(), at.line(at.root / "missing") + at.line(at.packages()));
                   },
                   "",
                   {"UserCfg.opt: InstalledPackagesPath={root}/missing"}},
        DetectCase{"LineWithoutQuotes",
                   true,
                   [](const Tree& at)
                   {
                       at.folders(at.packages(), {"Community", "Official"});
                       at.userCfg(at.userCfg2020(), "InstalledPackagesPath " + at.packages().string() + "\n");
                   },
                   "",
                   {"UserCfg.opt: InstalledPackagesPath=InstalledPackagesPath {root}/packages"}},
        DetectCase{"QuoteAtTheEnd",
                   true,
                   [](const Tree& at) { at.userCfg(at.userCfg2020(), "InstalledPackagesPath \"\n"); },
                   "",
                   {"UserCfg.opt: InstalledPackagesPath="}},
        DetectCase{"FolderThatCannotBeLookedFor",
                   true,
                   [](const Tree& at)
                   {
                       at.userCfg(at.userCfg2020(),
                                  "InstalledPackagesPath \"" + (at.root / std::string(300, 'a')).string() + "\"\n");
                   },
                   "",
                   {"UserCfg.opt: InstalledPackagesPath cannot be checked: File name too long"}},
        DetectCase{"NoKey",
                   true,
                   [](const Tree& at) { at.userCfg(at.userCfg2020(), "Graphics {\nVersion 1\n}\n"); },
                   "",
                   {"UserCfg.opt: InstalledPackagesPath=???"}},
        DetectCase{"Nothing", true, [](const Tree&) {}, "", {"No UserCfg.opt found?"}},
        DetectCase{"Msfs2024NeedsOfficial2024",
                   false,
                   [](const Tree& at) {
                       at.folders(at.roaming() / "Microsoft Flight Simulator 2024" / "Packages",
                                  {"Community", "Official"});
                   },
                   "",
                   {"No UserCfg.opt found?"}},
        DetectCase{"Msfs2024UserCfg",
                   false,
                   [](const Tree& at)
                   {
                       at.folders(at.packages(), {"Community", "Official2024"});
                       at.userCfg(at.local() / "Packages" / kFamily2024 / "LocalCache" / "UserCfg.opt",
                                  at.line(at.packages()));
                   },
                   "packages",
                   {"UserCfg.opt: InstalledPackagesPath={root}/packages"}}),
    caseLabel<DetectCase>);

TEST(SimulatorNames, FollowTheConfiguredSimulator)
{
    g_simIs2020.store(1);
    EXPECT_EQ(gf_msfsPackageFamily(), kFamily2020);
    EXPECT_EQ(gf_msfsFolderName(), "Microsoft Flight Simulator");
    g_simIs2020.store(0);
    EXPECT_EQ(gf_msfsPackageFamily(), kFamily2024);
    EXPECT_EQ(gf_msfsFolderName(), "Microsoft Flight Simulator 2024");
    g_simIs2020.store(1);
}

} // namespace
} // namespace ovr::test
