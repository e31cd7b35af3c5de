// The airport scan as a whole: the supported-airport list, the folder list,
// a scan over a generated packages tree compared with golden airport files
// and a golden scan report, the streamed packages of MSFS 2024, the tblo
// zip, and the end of a scan that found nothing or was stopped.
#include "scan_test_support.h"

#include <cstdlib>
#include <mutex>

#include "airports/facility_reader.h"
#include "airports/supported_airports.h"
#include "bgl_variants.h"
#include "core/globals.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "core/zip_archive.h"
#include "platform/simconnect/world.h"
#include "scanners/airport_file_counts.h"
#include "scanners/airport_scan_detail.h"
#include "scanners/package_scans.h"
#include "scanners/scan_report.h"
#include "scanners/scan_written_files.h"

namespace ovr::test
{
namespace
{

// Whose controls were enabled, and the simaddon count at each repaint.
std::mutex g_seenMutex;
std::vector<std::uint16_t> g_enabled;
std::vector<std::int64_t> g_simaddonAtRepaint;

// Paths in written files and report lines name the test's own folder.
std::string lf_filtered(std::string text, const fs::path& folder)
{
    const std::string prefix = folder.string();
    for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at))
        text.replace(at, prefix.size(), "<work>");
    return text;
}

void lf_expectGolden(const std::string& actual, const std::string& name)
{
    const fs::path golden = fs::path(VORA_SCAN_GOLDEN) / name;
    if (const char* update = std::getenv("VORA_SCAN_UPDATE_GOLDEN"); update != nullptr && update[0] == '1')
    {
        writeFile(golden, actual);
        return;
    }
    EXPECT_EQ(actual, readFile(golden)) << "golden file " << golden.string();
}

class AirportScan : public ScanTest
{
  protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        {
            const std::scoped_lock lock(g_seenMutex);
            g_enabled.clear();
            g_simaddonAtRepaint.clear();
        }
        gf_setControlEnableHook(
            [](std::uint16_t id, bool enable)
            {
                const std::scoped_lock lock(g_seenMutex);
                if (enable)
                    g_enabled.push_back(id);
            });
        gf_setRepaintHook(
            [](WindowPart part)
            {
                const std::scoped_lock lock(g_seenMutex);
                if (part == WindowPart::topPanel)
                    g_simaddonAtRepaint.push_back(g_mySimaddonCount.load());
            });
        MSFS_INSTALL_PATH.setValue((folder() / "packages").string());
        MSFS_2024_INSTALL_PATH.setValue((folder() / "packages2024").string());
        SCAN_AIRPORTS.current.store(true);
        writeFile(g_icaoAirportsTxtPath, "EDDF,EDDL,EHRD,KMCI\nLFPG,EGLL,KJFK,LOWI,ZZZZ\n");
    }

    void TearDown() override
    {
        gf_setRepaintHook(nullptr);
        gf_resetStatusLine();
        MSFS_INSTALL_PATH.setValue("");
        MSFS_2024_INSTALL_PATH.setValue("");
        SCAN_AIRPORTS.current.store(true);
        ScanTest::TearDown();
    }

    fs::path community() const { return folder() / "packages" / "Community"; }
    fs::path official() const { return folder() / "packages" / "Official" / "OneStore"; }

    static void package(const fs::path& root, const std::string& manifest)
    {
        fs::create_directories(root);
        if (!manifest.empty())
            writeFile(root / "manifest.json", manifest);
    }

    static sim::Scenario scenario()
    {
        sim::Scenario s;
        const sim::AirportFacility eddf = frankfurtFacility();
        s.airports = {eddf};
        sim::AirportFacility lfpg = eddf;
        lfpg.icao = "LFPG";
        lfpg.name = "Paris Charles de Gaulle";
        lfpg.latDeg = 49.0097;
        lfpg.lonDeg = 2.5478;
        s.airports.push_back(lfpg);
        return s;
    }

    static std::vector<std::string> namesIn(const fs::path& dir)
    {
        std::vector<std::string> names;
        if (!fs::exists(dir))
            return names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The packages tree of the whole-scan test, MSFS 2020.
    void makePackages2020()
    {
        const std::string maker =
            R"({"title": "t", "package_version": "1.0", "manufacturer": "Maker", "creator": "Me"})";
        // A simaddon of the model database's list: linked.
        package(official() / "asobo-airport-lfpg-paris", "");
        writeBgl(official() / "asobo-airport-lfpg-paris" / "scenery" / "lfpg.bgl",
                 genbgl::variant("airport"));
        // The base package is never entered.
        writeBgl(official() / "fs-base" / "scenery" / "eddf.bgl", genbgl::variant("airport"));
        // A thirdparty airport of a listed publisher: linked.
        package(community() / "somedev-ehrd-rotterdam",
                R"({"title": "Rotterdam", "manufacturer": "somedev"})");
        writeBgl(community() / "somedev-ehrd-rotterdam" / "scenery" / "global" / "ehrd.bgl",
                 genbgl::variant("airport"));
        // Facility data answers: generated from it.
        package(community() / "maker-eddf-frankfurt", maker);
        writeBgl(community() / "maker-eddf-frankfurt" / "scenery" / "airport.bgl",
                 genbgl::variant("airport"));
        // Facility data refused: the scenery file is read.
        package(community() / "maker-egll-london", maker);
        writeBgl(
            community() / "maker-egll-london" / "scenery" / "AIRPORT.BGL",
            genbgl::bglFile({genbgl::Section{3, 0, {genbgl::airportRecord(genbgl::sampleAirport("EGLL"))}}}));
        // A broken scenery file is skipped; the folder's walk goes on.
        package(community() / "maker-kjfk-newyork", maker);
        genbgl::Bytes broken = genbgl::variant("parkings-beyond-data");
        genbgl::putU32(broken, genbgl::firstRecordOffset(1) + 40, genbgl::packIdent("KJFK"));
        writeBgl(community() / "maker-kjfk-newyork" / "scenery" / "a.bgl", broken);
        writeBgl(community() / "maker-kjfk-newyork" / "scenery" / "b.bgl",
                 genbgl::variant("no-airport-section"));
        // Never looked at: aircraft, statics, other extensions, unsupported.
        writeBgl(community() / "some-aircraft-eddl" / "scenery" / "x.bgl", genbgl::variant("airport"));
        writeBgl(community() / "maker-eddl" / "statics" / "x.bgl", genbgl::variant("airport"));
        writeBgl(community() / "maker-eddl" / "scenery" / "x.bgx", genbgl::variant("airport"));
        package(community() / "maker-zzzz-field", maker);
        writeBgl(community() / "maker-zzzz-field" / "scenery" / "x.bgl", genbgl::variant("airport"));
    }
};

TEST_F(AirportScan, AWholeScanLinksGeneratesReportsAndZips)
{
    makePackages2020();
    sim::World world(scenario(), realTimeWorld());
    gf_scanAirports();

    EXPECT_EQ(namesIn(g_mySimaddonPath), std::vector<std::string>{"LFPG.txt"});
    EXPECT_EQ(namesIn(g_myThirdpartyPath), (std::vector<std::string>{"EDDF.xml", "EGLL.xml", "EHRD.txt"}));
    for (const char* name : {"EDDF.xml", "EGLL.xml"})
        lf_expectGolden(lf_filtered(readFile(g_myThirdpartyPath / name), folder()),
                        fmt::format("airports/{}", name));
    EXPECT_EQ(readFile(g_mySimaddonPath / "LFPG.txt"), "archive/simaddon/LFPG.xml\n");
    EXPECT_EQ(readFile(g_myThirdpartyPath / "EHRD.txt"), "archive/thirdparty/Some%20Developer/EHRD.xml\n");
    lf_expectGolden(lf_filtered(readFile(g_airportsScanLogTxtPath), folder()), "AirportsScanLog.txt");

    EXPECT_EQ(namesIn(g_tbloPath), std::vector<std::string>{"tblo.zip"});
    std::optional<ZipArchive> zip = ZipArchive::openReadOnly(g_tbloPath / g_tbloZipPath);
    ASSERT_TRUE(zip.has_value());
    EXPECT_EQ(zip->entryNames(), (std::vector<std::string>{"EDDF.xml", "EGLL.xml"}));
    EXPECT_EQ(g_tbloCount.load(), 2);
    EXPECT_EQ(g_mySimaddonCount.load(), 1);
    EXPECT_EQ(g_myThirdpartyCount.load(), 3);
    {
        const std::scoped_lock lock(g_seenMutex);
        EXPECT_EQ(g_enabled, std::vector<std::uint16_t>{kTbloZipControlId});
    }
    EXPECT_TRUE(logHas(
        "==> Exception in lf_processBGLfile (std::ex): BGL word 56 beyond the data (56 words) \u2014 " +
        (community() / "maker-kjfk-newyork" / "scenery" / "a.bgl").string()));
    EXPECT_TRUE(logHas(
        fmt::format("! Mail {} to airportfiles@voraflow.example", (g_tbloPath / "tblo.zip").string())));
    EXPECT_TRUE(logHas("SimConnect closed ok"));
    EXPECT_TRUE(logHas("SimConnect (PARKING_DATA_RDR) closed"));
    EXPECT_FALSE(g_parkingDataRdrOpen);
    EXPECT_TRUE(logHas("-------------------------- airports scan ends -------------------------------"));
    EXPECT_TRUE(g_supportedAirports.empty());
    EXPECT_TRUE(g_scanMessages.empty());
    EXPECT_FALSE(SCAN_AIRPORTS.current.load());
    EXPECT_NE(readFile(folder() / "parameters.xml").find(R"(name="SCAN_AIRPORTS" value="false")"),
              std::string::npos);
}

TEST_F(AirportScan, AScanThatFindsNothingSaysSoAndRemovesTblo)
{
    fs::create_directories(community() / "empty");
    fs::create_directories(g_tbloPath);
    writeFile(g_tbloPath / "old.xml", "from an earlier scan");
    writeFile(g_mySimaddonPath / "OLD.txt", "from an earlier scan");
    gf_noteScanWritten(g_mySimaddonPath / "OLD.txt", "an earlier scan");
    gf_scanAirports();
    EXPECT_FALSE(fs::exists(g_tbloPath));
    EXPECT_TRUE(namesIn(g_mySimaddonPath).empty());
    EXPECT_TRUE(
        logHas("All your simaddon and third party airports are recognised, no off line learning needed."));
    EXPECT_EQ(gf_statusTexts().status, "Warning: Scan has not found any add-on airports");
    EXPECT_TRUE(logHas(fmt::format("{} does not exist, skipped!", official().parent_path().string())));
    EXPECT_TRUE(logHas("The scan will search 2 folders"));
    EXPECT_EQ(g_tbloCount.load(), 0);
    EXPECT_FALSE(SCAN_AIRPORTS.current.load());
    EXPECT_EQ(readFile(g_airportsScanLogTxtPath),
              fmt::format("\n***** Scanning for addon airports in:\n{}\n\n\nAirpoprts scan finished!\n",
                          community().string()));
}

TEST_F(AirportScan, AStopEndsTheWalksButNotTheEndSteps)
{
    makePackages2020();
    g_stop.store(1);
    gf_scanAirports();
    EXPECT_TRUE(namesIn(g_myThirdpartyPath).empty());
    EXPECT_TRUE(fs::exists(g_airportsScanLogTxtPath));
    EXPECT_FALSE(SCAN_AIRPORTS.current.load());
}

TEST_F(AirportScan, WithoutTheSupportedListTheScanThrows522AndDoesNothing)
{
    fs::remove(g_icaoAirportsTxtPath);
    try
    {
        gf_scanAirports();
        FAIL() << "no exception";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_EQ(e.code(), 522);
        EXPECT_STREQ(e.what(), "522: File 'input/ICAO_airports.txt' is missing?");
    }
    EXPECT_FALSE(fs::exists(g_tbloPath));
    EXPECT_TRUE(SCAN_AIRPORTS.current.load()) << "a scan that throws does not switch itself off";
}

// Files the user put among the generated ones survive the scans: one for an
// airport the scan does not write stays where it is; one for an airport the
// scan writes is moved to the backup once, with a log line, never over an
// earlier backup. What a scan wrote, the next scan replaces.
TEST_F(AirportScan, FilesTheScanDidNotWriteAreKeptOrMovedToABackup)
{
    package(community() / "somedev-ehrd-rotterdam", R"({"title": "Rotterdam", "manufacturer": "somedev"})");
    writeBgl(community() / "somedev-ehrd-rotterdam" / "scenery" / "ehrd.bgl", genbgl::variant("airport"));
    writeFile(g_myThirdpartyPath / "EDDF.xml", "made by hand");
    writeFile(g_myThirdpartyPath / "ehrd.xml", "also made by hand");
    writeFile(g_airportsPath / "my_thirdparty_backup" / "ehrd.xml", "an earlier backup");
    for (int scan = 0; scan < 2; ++scan)
    {
        SCOPED_TRACE(scan);
        SCAN_AIRPORTS.current.store(true);
        gf_scanAirports();
        EXPECT_EQ(namesIn(g_myThirdpartyPath), (std::vector<std::string>{"EDDF.xml", "EHRD.txt"}));
        EXPECT_EQ(namesIn(g_airportsPath / "my_thirdparty_backup"),
                  (std::vector<std::string>{"ehrd.xml", "ehrd.xml.2"}));
    }
    EXPECT_EQ(readFile(g_myThirdpartyPath / "EDDF.xml"), "made by hand");
    EXPECT_EQ(readFile(g_airportsPath / "my_thirdparty_backup" / "ehrd.xml.2"), "also made by hand");
    EXPECT_EQ(readFile(g_airportsPath / "my_thirdparty_backup" / "ehrd.xml"), "an earlier backup");
    EXPECT_TRUE(logHas(fmt::format("{} was not written by the airport scan, moved to {}",
                                   (g_myThirdpartyPath / "ehrd.xml").string(),
                                   (g_airportsPath / "my_thirdparty_backup" / "ehrd.xml.2").string())));
}

// A package linked into Community is scanned like a copied one; a link back
// up the tree ends at the folder already entered.
TEST_F(AirportScan, LinkedPackagesAreFollowedOnce)
{
    const fs::path real = folder() / "elsewhere" / "maker-eddf-frankfurt";
    package(real, R"({"title": "t", "package_version": "1.0", "manufacturer": "Maker", "creator": "Me"})");
    writeBgl(real / "scenery" / "airport.bgl", genbgl::variant("airport"));
    fs::create_directories(community());
    fs::create_directory_symlink(real, community() / "maker-eddf-frankfurt");
    fs::create_directory_symlink(community(), real / "scenery" / "back-to-community");
    sim::World world(scenario(), realTimeWorld());
    gf_scanAirports();
    EXPECT_EQ(namesIn(g_myThirdpartyPath), std::vector<std::string>{"EDDF.xml"});
    const std::string report = readFile(g_airportsScanLogTxtPath);
    const std::string fac = "\nFac: ";
    std::size_t visits = 0;
    for (std::size_t at = report.find(fac); at != std::string::npos; at = report.find(fac, at + 1))
        ++visits;
    EXPECT_EQ(visits, 1U) << report;
}

// A streamed package whose name names no publisher is classified by its own
// manifest, and linked.
TEST_F(AirportScan, AStreamedPackageIsClassifiedByItsOwnManifest)
{
    g_simIs2020.store(0);
    const fs::path streamed = folder() / "packages2024" / "StreamedPackages";
    package(streamed / "pkg-ehrd-rotterdam", R"({"title": "Rotterdam", "manufacturer": "somedev"})");
    fs::create_directories(folder() / "packages2024" / "Community");
    gf_scanAirports();
    EXPECT_EQ(namesIn(g_myThirdpartyPath), std::vector<std::string>{"EHRD.txt"});
    EXPECT_EQ(readFile(g_myThirdpartyPath / "EHRD.txt"), "archive/thirdparty/Some%20Developer/EHRD.xml\n");
}

// Two packages for one airport: both are reported, the later one in the
// scan's order is kept and the report says which.
TEST_F(AirportScan, TwoPackagesForOneAirportAreBothReported)
{
    const std::string maker = R"({"title": "t", "manufacturer": "Maker", "creator": "Me"})";
    for (const char* name : {"maker-eddf-first", "maker-eddf-second"})
    {
        package(community() / name, maker);
        writeBgl(community() / name / "scenery" / "airport.bgl", genbgl::variant("airport"));
    }
    sim::World world(scenario(), realTimeWorld());
    gf_scanAirports();
    EXPECT_EQ(namesIn(g_myThirdpartyPath), std::vector<std::string>{"EDDF.xml"});
    EXPECT_NE(readFile(g_myThirdpartyPath / "EDDF.xml").find("maker-eddf-second"), std::string::npos);
    EXPECT_NE(readFile(g_airportsScanLogTxtPath)
                  .find(fmt::format("===> EDDF found in two packages: {} replaces EDDF.xml from {}",
                                    (community() / "maker-eddf-second" / "scenery" / "airport.bgl").string(),
                                    (community() / "maker-eddf-first" / "scenery" / "airport.bgl").string())),
              std::string::npos)
        << readFile(g_airportsScanLogTxtPath);
}

struct ListCase
{
    std::string name;
    std::string content;
    std::vector<std::string> codes;
    std::string error; // empty: no exception
};

class IcaoList : public AirportScan, public ::testing::WithParamInterface<ListCase>
{
};

TEST_P(IcaoList, FillsTheSupportedSet)
{
    writeFile(g_icaoAirportsTxtPath, GetParam().content);
    if (!GetParam().error.empty())
    {
        try
        {
            lf_readIcaoAirports();
            FAIL() << "no exception";
        }
        catch (const std::invalid_argument& e)
        {
            EXPECT_EQ(e.what(), GetParam().error);
        }
        return;
    }
    lf_readIcaoAirports();
    std::vector<std::string> codes;
    for (const IcaoCode& code : g_supportedAirports)
        codes.push_back(code.text());
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, GetParam().codes);
    EXPECT_TRUE(logHas(fmt::format("{} ICAO codes of airports read", codes.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IcaoList,
    ::testing::Values(
        ListCase{"TwoOnALineAndAnEmptyLine", "EDDF,EHRD\n\nkjfk\n", {"EDDF", "EHRD", "KJFK"}, ""},
        ListCase{"TrailingCommaAndBlanks", " EDDF , EHRD ,\r\nLFPG,\t\n", {"EDDF", "EHRD", "LFPG"}, ""},
        ListCase{"Repeated", "EDDF,EDDF", {"EDDF"}, ""}, ListCase{"Empty", "", {}, ""},
        ListCase{"InvalidCode", "EDDF,ED,EHRD", {}, "'ED' FixedCode: invalid string (length/charset)"},
        ListCase{"InvalidCharacter", "ED-F", {}, "'ED-F' FixedCode: invalid string (length/charset)"}),
    caseName);

TEST_F(AirportScan, AFolderThatIsAFileIsPassedOver)
{
    writeFile(folder() / "file", "");
    lf_scanFolders({folder() / "file", {}, community()});
    EXPECT_TRUE(logHas(fmt::format("{} is not a folder name, skipped!", (folder() / "file").string())));
    EXPECT_TRUE(logHas(fmt::format("{} does not exist, skipped!", community().string())));
}

TEST_F(AirportScan, Msfs2024WalksItsStreamedFolder)
{
    g_simIs2020.store(0);
    const fs::path streamed = folder() / "packages2024" / "StreamedPackages";
    // Ten official airports: the counter moves at the tenth.
    for (int i = 0; i < 9; ++i)
        fs::create_directories(streamed / fmt::format("microsoft-airport-egll-{}", i));
    fs::create_directories(streamed / "microsoft-airport-lfpg-paris");
    fs::create_directories(streamed / "asobo-airport-nothing");
    fs::create_directories(streamed / "asobo-airport-zzzz-x");
    fs::create_directories(streamed / "fs24-eddf-jetways");
    fs::create_directories(streamed / "maker-eddf-frankfurt");
    fs::create_directories(streamed / "maker-kjfk-newyork"); // the stand-in refuses KJFK
    fs::create_directories(streamed / "somedev-ehrd-rotterdam");
    writeFile(streamed / "note-eddl.txt", "");
    fs::create_directories(folder() / "packages2024" / "Community");
    sim::World world(scenario(), realTimeWorld());
    gf_scanAirports();

    EXPECT_EQ(namesIn(g_mySimaddonPath), (std::vector<std::string>{"EGLL.txt", "LFPG.xml"}));
    EXPECT_EQ(namesIn(g_myThirdpartyPath), (std::vector<std::string>{"EDDF.xml", "EHRD.txt"}));
    lf_expectGolden(lf_filtered(readFile(g_airportsScanLogTxtPath), folder()), "AirportsScanLog2024.txt");
    std::optional<ZipArchive> zip = ZipArchive::openReadOnly(g_tbloPath / g_tbloZipPath);
    ASSERT_TRUE(zip.has_value());
    EXPECT_EQ(zip->entryNames(), (std::vector<std::string>{"EDDF.xml", "LFPG.xml"}));
    {
        const std::scoped_lock lock(g_seenMutex);
        const auto tenth = std::find(g_simaddonAtRepaint.begin(), g_simaddonAtRepaint.end(), 10);
        EXPECT_NE(tenth, g_simaddonAtRepaint.end());
        EXPECT_EQ(std::count_if(g_simaddonAtRepaint.begin(), tenth, [](std::int64_t n) { return n >= 9; }), 0)
            << "the count is shown only after every tenth official airport";
    }
}

// A streamed entry whose status cannot be read (here a link to itself) is
// reported and passed over: the other packages and Community are still
// scanned, and the scan ends and switches itself off.
TEST_F(AirportScan, ABadStreamedEntryIsSkippedAndTheScanGoesOn)
{
    g_simIs2020.store(0);
    const fs::path streamed = folder() / "packages2024" / "StreamedPackages";
    fs::create_directories(streamed / "maker-eddf-frankfurt");
    fs::create_directory_symlink(streamed / "maker-loop", streamed / "maker-loop");
    fs::create_directories(streamed / "somedev-ehrd-rotterdam");
    const fs::path community2024 = folder() / "packages2024" / "Community";
    package(community2024 / "maker-lfpg-paris", R"({"title": "t", "manufacturer": "Maker", "creator": "Me"})");
    writeBgl(community2024 / "maker-lfpg-paris" / "scenery" / "lfpg.bgl", genbgl::variant("airport"));
    sim::World world(scenario(), realTimeWorld());
    EXPECT_NO_THROW(gf_scanAirports());
    EXPECT_EQ(namesIn(g_myThirdpartyPath), (std::vector<std::string>{"EDDF.xml", "EHRD.txt", "LFPG.xml"}));
    EXPECT_NE(readFile(g_airportsScanLogTxtPath)
                  .find(fmt::format("===> {} skipped, cause: ", (streamed / "maker-loop").string())),
              std::string::npos);
    EXPECT_FALSE(g_parkingDataRdrOpen);
    EXPECT_TRUE(logHas("SimConnect (PARKING_DATA_RDR) closed"));
    EXPECT_TRUE(g_supportedAirports.empty());
    EXPECT_FALSE(SCAN_AIRPORTS.current.load());
}

} // namespace
} // namespace ovr::test
