// The update check against an update service on 127.0.0.1: versions.json,
// the data components (good ones, and what a wrong or slow server sends), a
// new program version in a zip built here, and the notice README.txt
// receives.
#include "../params/parameters_fixture.h"
#include "../support/file_server.h"
#include "core/download_detail.h"
#include "core/library_init.h"
#include "core/paths.h"
#include "core/secret_stream.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/zip_archive.h"
#include "gui/updater.h"
#include "gui/updater_detail.h"
#include "platform/shell/shell32.h"
#include "platform/win/test_support.h"

#include "stream_encrypt.h"

#include <future>
#include <set>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;
namespace pt = ovr::platform_test;

std::string versionJson(int major, int minor, int patch)
{
    return "{\"major\":" + std::to_string(major) + ",\"minor\":" + std::to_string(minor) +
           ",\"patch\":" + std::to_string(patch) + "}";
}

// A zip with the entries given, built with the program's own wrapper.
std::string zipOf(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& entries)
{
    const fs::path file = folder / "built.zip";
    {
        std::optional<ZipArchive> archive = ZipArchive::createNew(file);
        EXPECT_TRUE(archive);
        for (const auto& [name, content] : entries)
        {
            EXPECT_TRUE(archive->addData(name, std::as_bytes(std::span(content.data(), content.size()))));
        }
        EXPECT_EQ(archive->close(), 0);
    }
    std::string bytes = readFile(file);
    fs::remove(file);
    return bytes;
}

const std::string kInstaller = []
{
    std::string bytes(700000, '\0'); // more than one unzip chunk
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        bytes[i] = static_cast<char>((i * 7919) % 253);
    }
    return bytes;
}();

constexpr std::string_view kNormalNotice =
    "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";
constexpr std::string_view kAdminNotice = "A new version is available. Run the installer as Administrator";

// A data file as its reader needs it: the section under "root", and enough
// text for more than one chunk, so that a cut file can end on a whole chunk.
std::string dataXml(std::string_view section)
{
    return "<?xml version=\"1.0\"?>\n<!-- " + std::string(5000, 'x') + " -->\n<root><" +
           std::string(section) + "/></root>\n";
}

std::string goodDataFile(std::string_view section)
{
    return datatool::encryptText(dataXml(section));
}

std::set<std::string> filesIn(const fs::path& folder)
{
    std::set<std::string> names;
    if (fs::exists(folder))
    {
        for (const auto& entry : fs::directory_iterator(folder))
        {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

class Updater : public ParametersFileTest
{
  protected:
    static void SetUpTestSuite() { gf_initLibraries(); }

    void SetUp() override
    {
        ParametersFileTest::SetUp();
        oldCwd_ = fs::current_path();
        fs::current_path(dir());
        fs::create_directories(g_inputPath);
        fs::create_directories(g_outputPath);
        g_exitReason = kExitNotYetSet;
        g_restartDelay = 0;
        // Both scans were done at an earlier start.
        SCAN_LIVERIES.current = false;
        SCAN_AIRPORTS.current = false;
        detail::gf_setDownloadBase(server.base());
        detail::gf_setDownloadLimits({.connectTimeout = 15s, .lowSpeedTime = 5s, .deadlineCeiling = 1500ms});
        gf_resetStatusLine();
        pt::setShellExecuteResult(42);
        pt::clearMessageBoxes();
    }

    void TearDown() override
    {
        detail::gf_setDownloadBase("");
        detail::gf_setDownloadLimits({});
        pt::setShellExecuteResult(std::nullopt);
        pt::clearMessageBoxes();
        pt::setElevation(pt::Elevation::System);
        pt::setUnwritableFolders({});
        pt::clearKnownFolders();
        gf_resetStatusLine();
        g_exitReason = kExitNotYetSet;
        g_restartDelay = 0;
        fs::current_path(oldCwd_);
        ParametersFileTest::TearDown();
    }

    // versions.json with the program at its own version and the members given.
    void publish(const std::string& members)
    {
        server.put("/downloads/versions.json",
                   "{\"msfs\":" + versionJson(12, 5, 5) + (members.empty() ? "" : "," + members) + "}");
    }

    bool logHas(std::string_view text) const { return logText().find(text) != std::string::npos; }

    // On the status line, and once in the log as a warning.
    void expectSaidOnce(const std::string& text) const
    {
        EXPECT_EQ(gf_statusTexts().status, text);
        const std::string log = logText();
        EXPECT_NE(log.find("==> " + text), std::string::npos) << log;
        EXPECT_EQ(log.find(text), log.rfind(text)) << "said once";
    }

    // The requests other than for versions.json.
    std::vector<std::string> downloads() const
    {
        std::vector<std::string> paths = server.requests();
        std::erase(paths, std::string("/downloads/versions.json"));
        return paths;
    }

    FileServer server;

  private:
    fs::path oldCwd_;
};

TEST_F(Updater, UpToDateDownloadsNothing)
{
    writeFile(g_airportsEncPath, "installed airports");
    gf_setParameter(AIRPORTS_VERSION, "2.1.0");
    publish("\"airports\":" + versionJson(2, 1, 0));

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(logHas("msfs program version at web = 12.5.5")) << logText();
    EXPECT_TRUE(logHas("msfs version up-to-date"));
    EXPECT_TRUE(logHas("airports version up-to-date"));
    EXPECT_TRUE(logHas("dbase version not found"));
    EXPECT_TRUE(downloads().empty());
    EXPECT_EQ(readFile(g_airportsEncPath), "installed airports");
    EXPECT_FALSE(fs::exists("versions.json"));
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
}

TEST_F(Updater, MissingComponentFileIsDownloaded)
{
    gf_setParameter(AIRPORTS_VERSION, "2.1.0");
    publish("\"airports\":" + versionJson(2, 1, 0));
    const std::string airports = goodDataFile("airports");
    server.put("/downloads/12/airports.enc", airports);

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile(g_airportsEncPath), airports);
    EXPECT_TRUE(logHas("airports updated to 2.1.0")) << logText();
    EXPECT_EQ(fileValue("AIRPORTS_VERSION"), "2.1.0");
}

TEST_F(Updater, NewerComponentsAreDownloadedAndStored)
{
    writeFile(g_aigRegcodesEncPath, "old codes");
    writeFile(g_dbaseEncPath, "old dbase");
    gf_setParameter(AIG_VERSION, "1.0.0");
    gf_setParameter(DBASE_VERSION, "3.4.5");
    publish("\"aig\":" + versionJson(1, 0, 1) + ",\"dbase\":" + versionJson(3, 5, 0));
    const std::string codes = goodDataFile("aig");
    const std::string dbase = goodDataFile("dbase");
    server.put("/downloads/12/AIG-regcodes.enc", codes);
    server.put("/downloads/12/dbase.enc", dbase);

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile(g_aigRegcodesEncPath), codes);
    EXPECT_EQ(readFile(g_dbaseEncPath), dbase);
    EXPECT_EQ(filesIn(g_inputPath), (std::set<std::string>{"AIG-regcodes.enc", "dbase.enc"}));
    EXPECT_EQ(fileValue("AIG_VERSION"), "1.0.1");
    EXPECT_EQ(fileValue("DBASE_VERSION"), "3.5.0");
    EXPECT_EQ(downloads(),
              (std::vector<std::string>{"/downloads/12/AIG-regcodes.enc", "/downloads/12/dbase.enc"}));
}

TEST_F(Updater, FailedComponentDownloadKeepsTheInstalledFileAndVersion)
{
    const std::string old("old dbase \0\x01\xff bytes", 19);
    writeFile(g_dbaseEncPath, old);
    gf_setParameter(DBASE_VERSION, "3.4.5");
    publish("\"dbase\":" + versionJson(3, 5, 0)); // the file itself is a 404

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile(g_dbaseEncPath), old);
    EXPECT_EQ(DBASE_VERSION.value(), "3.4.5");
    EXPECT_EQ(fileValue("DBASE_VERSION"), "3.4.5");
    EXPECT_EQ(filesIn(g_inputPath), (std::set<std::string>{"dbase.enc"}));
    EXPECT_FALSE(logHas("dbase updated to"));
}

enum class Served
{
    htmlPage,  // a captive portal's login page
    truncated, // whole chunks, but not the FINAL one
    wrongKey,
    notXml,
    noSection, // XML without the part the reader needs
    trickle,   // the right file, two bytes at a time
};

struct WrongData
{
    const char* name;
    const char* key;
    StringParameter* setting;
    const char* file;
    const char* section;
    Served served;
    const char* logLine;
};

const WrongData kWrongData[] = {
    {"dbase_html_page", "dbase", &DBASE_VERSION, "dbase.enc", "dbase", Served::htmlPage,
     "The dbase.enc from the update service is not used (it does not decrypt); the installed one is kept"},
    {"dbase_truncated", "dbase", &DBASE_VERSION, "dbase.enc", "dbase", Served::truncated,
     "(it does not decrypt)"},
    {"dbase_wrong_key", "dbase", &DBASE_VERSION, "dbase.enc", "dbase", Served::wrongKey,
     "(it does not decrypt)"},
    {"dbase_not_xml", "dbase", &DBASE_VERSION, "dbase.enc", "dbase", Served::notXml, "(its text is no XML: "},
    {"dbase_trickle", "dbase", &DBASE_VERSION, "dbase.enc", "dbase", Served::trickle, "Timeout was reached"},
    {"airports_html_page", "airports", &AIRPORTS_VERSION, "airports.enc", "airports", Served::htmlPage,
     "The airports.enc from the update service is not used (it does not decrypt)"},
    {"airports_no_section", "airports", &AIRPORTS_VERSION, "airports.enc", "airports", Served::noSection,
     "(it holds no airports section)"},
    {"aig_truncated", "aig", &AIG_VERSION, "AIG-regcodes.enc", "aig", Served::truncated,
     "The AIG-regcodes.enc from the update service is not used (it does not decrypt)"},
    {"aig_trickle", "aig", &AIG_VERSION, "AIG-regcodes.enc", "aig", Served::trickle, "Timeout was reached"},
};

class WrongDataFile : public Updater, public ::testing::WithParamInterface<WrongData>
{
};

// Whatever the service sends in place of a data file, the installed file
// stays byte for byte and its version is not stored, the start goes on
// within the deadline, and the next start fetches the good file.
TEST_P(WrongDataFile, KeepsTheInstalledFileUntilAGoodOneArrives)
{
    const WrongData& c = GetParam();
    const fs::path installed = g_inputPath / c.file;
    const std::string path = std::string("/downloads/12/") + c.file;
    const std::string old = goodDataFile(c.section) + std::string("\0\xff", 2);
    writeFile(installed, old);
    gf_setParameter(*c.setting, "3.4.5");
    publish("\"" + std::string(c.key) + "\":" + versionJson(3, 5, 0));
    const std::string good = goodDataFile(c.section);
    switch (c.served)
    {
    case Served::htmlPage:
        server.put(path,
                   "<html><head><title>Sign in to the hotel network</title></head><body></body></html>");
        break;
    case Served::truncated:
        server.put(path, good.substr(0, secret_stream::kHeaderBytes + secret_stream::kCipherChunkBytes));
        break;
    case Served::wrongKey:
    {
        std::array<unsigned char, kDataKeyBytes> otherKey{};
        otherKey.fill(7);
        server.put(path, datatool::encryptText(dataXml(c.section), otherKey));
        break;
    }
    case Served::notXml:
        server.put(path, datatool::encryptText("dbase 3.5.0, no markup"));
        break;
    case Served::noSection:
        server.put(path, datatool::encryptText(dataXml("something_else")));
        break;
    case Served::trickle:
        server.putTrickle(path, good, 100ms);
        break;
    }

    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(gf_checkForUpdates());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);

    EXPECT_EQ(readFile(installed), old);
    EXPECT_EQ(c.setting->value(), "3.4.5");
    EXPECT_EQ(fileValue(c.setting->name), "3.4.5");
    EXPECT_FALSE(logHas(std::string(c.key) + " updated to"));
    EXPECT_TRUE(logHas(c.logLine)) << logText();
    EXPECT_EQ(filesIn(g_inputPath), (std::set<std::string>{c.file}));
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);

    // The next start.
    server.put(path, good);
    EXPECT_TRUE(gf_checkForUpdates());
    EXPECT_EQ(readFile(installed), good);
    EXPECT_EQ(fileValue(c.setting->name), "3.5.0");
    EXPECT_TRUE(logHas(std::string(c.key) + " updated to 3.5.0"));
    EXPECT_EQ(filesIn(g_inputPath), (std::set<std::string>{c.file}));
}

INSTANTIATE_TEST_SUITE_P(Cases, WrongDataFile, ::testing::ValuesIn(kWrongData), caseName);

// A service that trickles versions.json holds the start only up to the
// deadline; meanwhile the status line says what the program waits for.
TEST_F(Updater, ATricklingServiceHoldsTheStartOnlyUntilTheDeadline)
{
    writeFile(g_dbaseEncPath, "old dbase");
    server.putTrickle("/downloads/versions.json", "{\"msfs\":" + versionJson(12, 5, 5) + "}", 200ms);

    const auto started = std::chrono::steady_clock::now();
    auto check = std::async(std::launch::async, [] { return gf_checkForUpdates(); });
    bool shown = false;
    while (check.wait_for(10ms) != std::future_status::ready)
    {
        shown = shown || gf_statusTexts().status == "Checking for updates";
    }
    EXPECT_TRUE(check.get());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);

    EXPECT_TRUE(shown);
    EXPECT_EQ(gf_statusTexts().status, "");
    EXPECT_TRUE(logHas("Timeout was reached")) << logText();
    EXPECT_TRUE(logHas("Downloading version info from my web site failed!"));
    EXPECT_FALSE(fs::exists("versions.json"));
    EXPECT_FALSE(fs::exists("versions.json.part"));
    EXPECT_EQ(readFile(g_dbaseEncPath), "old dbase");
}

// versions.json is a few hundred bytes: anything far larger is no version
// information and is not read.
TEST_F(Updater, AnOversizedVersionInfoIsRefused)
{
    server.put("/downloads/versions.json",
               "{\"msfs\":" + versionJson(12, 5, 5) + std::string(200000, ' ') + "}");

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(logHas("larger than 65536 bytes")) << logText();
    EXPECT_TRUE(logHas("Downloading version info from my web site failed!"));
    EXPECT_FALSE(logHas("msfs program version at web"));
    EXPECT_FALSE(fs::exists("versions.json"));
}

struct ScanCase
{
    const char* name;
    const char* stored;
    int major, minor, patch;
    bool newer;
};

// Numbers, not texts, are compared; a stored version that cannot be read
// counts as 0.0.0.
const ScanCase kScanCases[] = {
    {"patch_10_after_9", "12.5.9", 12, 5, 10, true},
    {"minor_10_after_9", "12.9.9", 12, 10, 0, true},
    {"equal", "4.0.1", 4, 0, 1, false},
    {"older", "12.5.10", 12, 5, 9, false},
    {"nothing_stored", "", 0, 0, 1, true},
    {"garbage_stored", "four", 1, 0, 0, true},
};

class ScanComponent : public Updater, public ::testing::WithParamInterface<ScanCase>
{
};

TEST_P(ScanComponent, NewerLiveriesSwitchTheScanOn)
{
    const ScanCase& c = GetParam();
    writeFile(g_liveriesScannedXmlPath, "<scanned/>");
    gf_setParameter(LIV_SCAN_VERSION, c.stored);
    publish("\"liveries\":" + versionJson(c.major, c.minor, c.patch));

    EXPECT_TRUE(gf_checkForUpdates());

    const std::string web =
        std::to_string(c.major) + "." + std::to_string(c.minor) + "." + std::to_string(c.patch);
    EXPECT_EQ(SCAN_LIVERIES.current.load(), c.newer);
    EXPECT_EQ(fileValue("SCAN_LIVERIES"), c.newer ? "true" : "<none>");
    EXPECT_EQ(LIV_SCAN_VERSION.value(), c.newer ? web : std::string(c.stored));
    EXPECT_EQ(logHas("liveries updated to " + web), c.newer) << logText();
    EXPECT_EQ(logHas("liveries version up-to-date"), !c.newer);
    const std::vector<std::string> keys = shown();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "SCAN_LIVERIES"), c.newer ? 1 : 0);
    EXPECT_TRUE(downloads().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanComponent, ::testing::ValuesIn(kScanCases), caseName);

TEST_F(Updater, MissingScanFileAndNewerAddonsAskForBothScans)
{
    gf_setParameter(LIV_SCAN_VERSION, "1.0.0");
    gf_setParameter(ADDONS_SCAN_VERSION, "1.0.0");
    publish("\"liveries\":" + versionJson(1, 0, 0) + ",\"addons\":" + versionJson(1, 1, 0));

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(SCAN_LIVERIES.current.load()); // LiveriesScanned.xml is missing
    EXPECT_TRUE(SCAN_AIRPORTS.current.load());
    EXPECT_EQ(fileValue("ADDONS_SCAN_VERSION"), "1.1.0");
    EXPECT_TRUE(logHas("liveries updated to 1.0.0"));
    EXPECT_TRUE(logHas("addons updated to 1.1.0"));
}

struct UnreadableInfo
{
    const char* name;
    const char* body; // nullptr: no versions.json on the service
};

const UnreadableInfo kUnreadable[] = {
    {"not_served", nullptr},
    {"not_json", "{\"msfs\": {\"major\": 13,"},
    {"empty", ""},
};

class UnreadableVersions : public Updater, public ::testing::WithParamInterface<UnreadableInfo>
{
};

TEST_P(UnreadableVersions, StartUpGoesOnWithTheInstalledData)
{
    writeFile(g_dbaseEncPath, "old dbase");
    if (GetParam().body != nullptr)
    {
        server.put("/downloads/versions.json", GetParam().body);
    }

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_NE(logText().find("==> "), std::string::npos) << logText(); // a warning
    EXPECT_TRUE(downloads().empty());
    EXPECT_FALSE(fs::exists("versions.json"));
    EXPECT_EQ(readFile(g_dbaseEncPath), "old dbase");
    EXPECT_FALSE(SCAN_LIVERIES.current.load());
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableVersions, ::testing::ValuesIn(kUnreadable), caseName);

TEST_F(Updater, WithoutTheServiceStartUpGoesOn)
{
    detail::gf_setDownloadBase("");

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(logHas("Downloading version info from my web site failed!")) << logText();
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Updater, ComponentWithoutNumbersCountsAsZero)
{
    writeFile(g_airportsEncPath, "installed airports");
    server.put("/downloads/versions.json", "{\"msfs\":\"twelve\",\"airports\":{\"major\":\"x\"}}");

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(logHas("msfs version up-to-date")) << logText();
    EXPECT_TRUE(logHas("airports version up-to-date"));
    EXPECT_TRUE(downloads().empty());
}

class NewProgramVersion : public Updater
{
  protected:
    void SetUp() override
    {
        Updater::SetUp();
        server.put("/downloads/versions.json",
                   "{\"msfs\":" + versionJson(12, 5, 10) + ",\"airports\":" + versionJson(9, 0, 0) + "}");
        server.put("/downloads/docs/ReleaseNotes.pdf", "%PDF notes");
        detail::g_installerRuns.store(true);
    }

    void TearDown() override
    {
        detail::g_installerRuns.store(installerRuns_);
        Updater::TearDown();
    }

    void serveZip(std::string bytes)
    {
        server.put("/downloads/release/Vora/latest_version.zip", std::move(bytes));
    }

  private:
    bool installerRuns_ = detail::g_installerRuns.load();
};

// Where the installer cannot run, a new version is announced once and the
// start goes on with the data components, instead of stopping every start.
TEST_F(NewProgramVersion, IsAnnouncedWhereTheInstallerCannotRun)
{
    detail::g_installerRuns.store(false);
    serveZip(zipOf(dir(), {{"install_new_version.exe", kInstaller}}));

    EXPECT_TRUE(gf_checkForUpdates());

    expectSaidOnce(
        "Version 12.5.10 is available via the Halvaro website; its installer cannot run on this system");
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
    EXPECT_EQ(downloads(), (std::vector<std::string>{"/downloads/12/airports.enc"}));
    EXPECT_FALSE(fs::exists(g_newVersionPath));
    EXPECT_TRUE(pt::shellExecuteCalls().empty());
}

TEST_F(NewProgramVersion, IsUnpackedIntoNewVersionAndStopsTheProgram)
{
    fs::create_directories(g_newVersionPath);
    writeFile(g_newVersionPath / "stale.txt", "from an earlier version");
    serveZip(zipOf(dir(), {{"install_new_version.exe", kInstaller}}));

    EXPECT_FALSE(gf_checkForUpdates());

    const fs::path folder = g_newVersionPath;
    EXPECT_EQ(filesIn(folder),
              (std::set<std::string>{"install_new_version.exe", "ReleaseNotes.pdf", "README.txt"}));
    EXPECT_EQ(readFile(folder / "install_new_version.exe"), kInstaller);
    EXPECT_EQ(readFile(folder / "ReleaseNotes.pdf"), "%PDF notes");
    EXPECT_EQ(readFile(folder / "README.txt"), kNormalNotice);
    EXPECT_FALSE(fs::exists("install_new_version.exe"));
    EXPECT_FALSE(fs::exists("latest_version.zip"));
    EXPECT_EQ(g_exitReason.load(), kExitNewVersion);
    EXPECT_EQ(g_restartDelay.load(), 0);
    EXPECT_TRUE(logHas("msfs program version at web = 12.5.10")) << logText();
    EXPECT_FALSE(logHas("airports")); // the components wait for the new version
    const auto calls = pt::shellExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(fs::path(calls[0].file), fs::path("new_version"));
    EXPECT_TRUE(pt::messageBoxes().empty());
}

TEST_F(NewProgramVersion, TakesTheInstallerOutOfAFolderAndLeavesOtherEntries)
{
    serveZip(
        zipOf(dir(), {{"Vora/", ""}, {"Vora/install_new_version.exe", kInstaller}, {"Vora/readme.md", "x"}}));

    EXPECT_FALSE(gf_checkForUpdates());

    EXPECT_EQ(readFile(g_newVersionPath / "install_new_version.exe"), kInstaller);
    EXPECT_FALSE(fs::exists("readme.md"));
    EXPECT_FALSE(fs::exists(g_newVersionPath / "readme.md"));
}

TEST_F(NewProgramVersion, ReadmeAsksForAdministratorUnderAProtectedFolder)
{
    // The working folder is the program folder: under Program Files, not
    // writable for the write test, the process not elevated.
    pt::setKnownFolder(FOLDERID_ProgramFiles, dir());
    pt::setUnwritableFolders({dir()});
    pt::setElevation(pt::Elevation::NotElevated);
    serveZip(zipOf(dir(), {{"install_new_version.exe", kInstaller}}));

    EXPECT_FALSE(gf_checkForUpdates());

    EXPECT_EQ(readFile(g_newVersionPath / "README.txt"), kAdminNotice);
    EXPECT_TRUE(logHas(kAdminNotice));
}

TEST_F(NewProgramVersion, ShellFailureIsShownAndTheProgramStillStops)
{
    pt::setShellExecuteResult(2);                        // SE_ERR_FNF
    serveZip(zipOf(dir(), {{"setup.bin", kInstaller}})); // the only file, whatever its name

    EXPECT_FALSE(gf_checkForUpdates());

    const auto boxes = pt::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open File Explorer at new version");
    EXPECT_EQ(boxes[0].caption, "Vora");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(
        logHas("Opening file explorer at the new version failed? Try manually via the Halvaro website."));
    EXPECT_EQ(g_exitReason.load(), kExitNewVersion);
}

// A zip whose entry fails its checksum: one byte of the stored data altered.
std::string corruptedZip(const fs::path& folder)
{
    std::string bytes = zipOf(folder, {{"install_new_version.exe", kInstaller}});
    const std::size_t dataStart = 30 + std::string_view("install_new_version.exe").size();
    bytes[dataStart + 200] = static_cast<char>(bytes[dataStart + 200] ^ 0x5a);
    return bytes;
}

struct BadInstall
{
    const char* name;
    int archive; // 0: no zip served, 1: not a zip, 2: two files, 3: corrupted entry
    const char* logLine;
};

const BadInstall kBadInstalls[] = {
    {"download_fails", 0, "Downloading program installer file version 12.5.10 failed"},
    {"not_a_zip", 1, "Could not open latest_version.zip"},
    {"several_files", 2, "latest_version.zip holds no single installer"},
    {"corrupted_entry", 3, "Unzipping error code: "},
};

class FailedInstall : public NewProgramVersion, public ::testing::WithParamInterface<BadInstall>
{
};

// A failed installer is said once and the start goes on: an error that
// stopped it would stop every start while the version stays published.
TEST_P(FailedInstall, IsSaidOnceAndTheStartGoesOnWithoutAnyInstaller)
{
    // An installer left by an earlier attempt must not pass for the new one.
    writeFile("install_new_version.exe", "old installer");
    fs::create_directories(g_newVersionPath);
    writeFile(g_newVersionPath / "install_new_version.exe", "old installer");
    switch (GetParam().archive)
    {
    case 1:
        serveZip("PK\x03\x04 this is no archive");
        break;
    case 2:
        serveZip(zipOf(dir(), {{"a.exe", kInstaller}, {"b.exe", kInstaller}}));
        break;
    case 3:
        serveZip(corruptedZip(dir()));
        break;
    default:
        break;
    }

    EXPECT_TRUE(gf_checkForUpdates());

    expectSaidOnce(
        "The downloading/unzipping of the new version failed? Try manually via the Halvaro website");
    const std::vector<std::string> asked = downloads();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/downloads/12/airports.enc"), 1);

    EXPECT_FALSE(fs::exists("install_new_version.exe"));
    EXPECT_FALSE(fs::exists(g_newVersionPath / "install_new_version.exe"));
    EXPECT_FALSE(fs::exists("latest_version.zip"));
    EXPECT_FALSE(fs::exists("latest_version.zip.part"));
    EXPECT_EQ(g_exitReason.load(), kExitNotYetSet);
    EXPECT_FALSE(logHas("unzipped to")) << logText();
    EXPECT_TRUE(logHas(GetParam().logLine)) << logText();
    EXPECT_TRUE(logHas("install_new_version.exe does not exists?"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedInstall, ::testing::ValuesIn(kBadInstalls), caseName);

struct NoticeCase
{
    const char* name;
    const char* folder; // under the test folder
    bool unwritable;
    pt::Elevation elevation;
    std::string_view notice;
};

const NoticeCase kNoticeCases[] = {
    {"protected_unwritable_not_elevated", "Program Files/Vora", true, pt::Elevation::NotElevated,
     kAdminNotice},
    {"protected_unwritable_query_fails", "Program Files/Vora", true, pt::Elevation::QueryFails, kAdminNotice},
    {"protected_x86_unwritable", "Program Files (x86)/Vora", true, pt::Elevation::NotElevated, kAdminNotice},
    {"protected_unwritable_elevated", "Program Files/Vora", true, pt::Elevation::Elevated, kNormalNotice},
    {"protected_writable", "Program Files/Vora", false, pt::Elevation::NotElevated, kNormalNotice},
    {"elsewhere_unwritable", "Games/Vora", true, pt::Elevation::NotElevated, kNormalNotice},
    {"sibling_with_same_start", "Program Files Tools/Vora", true, pt::Elevation::NotElevated, kNormalNotice},
};

class Notice : public Updater, public ::testing::WithParamInterface<NoticeCase>
{
};

TEST_P(Notice, TellsWhetherTheInstallerNeedsAdministratorRights)
{
    const NoticeCase& c = GetParam();
    pt::setKnownFolder(FOLDERID_ProgramFiles, dir() / "Program Files");
    pt::setKnownFolder(FOLDERID_ProgramFilesX86, dir() / "Program Files (x86)");
    const fs::path folder = dir() / c.folder;
    fs::create_directories(folder);
    if (c.unwritable)
    {
        pt::setUnwritableFolders({folder});
    }
    pt::setElevation(c.elevation);

    EXPECT_EQ(gf_newVersionNotice(folder), c.notice);
    EXPECT_FALSE(fs::exists(folder / ".write_test.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Cases, Notice, ::testing::ValuesIn(kNoticeCases), caseName);

} // namespace
} // namespace ovr::test
