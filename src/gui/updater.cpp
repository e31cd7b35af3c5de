#include "gui/updater.h"
#include "gui/updater_detail.h"

#include "core/data_file_check.h"
#include "core/download.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/known_folders.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/path_exists.h"
#include "core/paths.h"
#include "core/shell_open.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/text_convert.h"
#include "core/version_data.h"
#include "core/zip_archive.h"
#include "gui/app_window.h"
#include "platform/kernel/kernel32.h"
#include "platform/shell/shell32.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

namespace ovr
{

namespace detail
{

// The installer is a Windows program.
#ifdef _WIN32
std::atomic<bool> g_installerRuns{true};
#else
std::atomic<bool> g_installerRuns{false};
#endif

} // namespace detail

namespace
{

namespace fs = std::filesystem;

const fs::path kVersionsJsonPath{"versions.json"};
const fs::path kLatestVersionZipPath{"latest_version.zip"};
const fs::path kReadmeName{"README.txt"};
constexpr std::string_view kProgramKey = "msfs";
constexpr std::size_t kUnzipChunkBytes = 524288;
constexpr std::string_view kCheckingText = "Checking for updates";

// What each download of the update check may take. versions.json is a few
// hundred bytes; the installer a program package; the release notes a PDF.
constexpr DownloadBudget kVersionInfoBudget{std::uintmax_t{64} << 10, std::chrono::seconds(20)};
constexpr DownloadBudget kInstallerBudget{std::uintmax_t{512} << 20, std::chrono::seconds(600)};
constexpr DownloadBudget kReleaseNotesBudget{std::uintmax_t{32} << 20, std::chrono::seconds(60)};

constexpr std::string_view kAdministratorNotice =
    "A new version is available. Run the installer as Administrator";
constexpr std::string_view kNormalNotice =
    "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";

// What a newer component version asks for.
enum class ComponentAction
{
    download, // fetch the data file over the installed one
    scan,     // switch the scan on for this start
};

struct Component
{
    std::string_view key;
    StringParameter* installed;
    // The file that must exist for an up-to-date component; null when none.
    const fs::path* file;
    ComponentAction action;
    // For a download: the file's name on the service and in the input folder.
    const fs::path* downloadName;
    // For a scan: the setting that asks for it.
    BoolParameter* scanSetting;
    // For a download: the section under "root" that the file's reader needs.
    const char* section;
};

// In the order the components are handled.
const std::array<Component, 5> kComponents{{
    {"airports", &AIRPORTS_VERSION, &g_airportsEncPath, ComponentAction::download, &g_airportsEncName,
     nullptr, "airports"},
    {"aig", &AIG_VERSION, &g_aigRegcodesEncPath, ComponentAction::download, &g_aigRegcodesEncName, nullptr,
     "aig"},
    {"liveries", &LIV_SCAN_VERSION, &g_liveriesScannedXmlPath, ComponentAction::scan, nullptr, &SCAN_LIVERIES,
     nullptr},
    {"addons", &ADDONS_SCAN_VERSION, nullptr, ComponentAction::scan, nullptr, &SCAN_AIRPORTS, nullptr},
    {"dbase", &DBASE_VERSION, &g_dbaseEncPath, ComponentAction::download, &g_dbaseEncName, nullptr, "dbase"},
}};

// "Checking for updates" on the status line while the check runs; taken
// away at its end unless another message has replaced it.
struct CheckingShown
{
    CheckingShown() { gf_setStatus(kCheckingText, false); }
    ~CheckingShown()
    {
        if (gf_statusTexts().status == kCheckingText)
        {
            gf_clearStatus();
        }
    }
    CheckingShown(const CheckingShown&) = delete;
    CheckingShown& operator=(const CheckingShown&) = delete;
};

std::string lf_versionText(const VersionData& version)
{
    return fmt::format("{}.{}.{}", version.major, version.minor, version.patch);
}

// The member's version when the root is an object that has it. The numbers
// are read as a stored version is: anything unreadable counts as 0.0.0.
std::optional<VersionData> lf_webVersion(const nlohmann::json& root, std::string_view key)
{
    if (!root.is_object())
    {
        return std::nullopt;
    }
    const auto it = root.find(key);
    if (it == root.end())
    {
        return std::nullopt;
    }
    return VersionData(it->dump());
}

bool lf_download(std::string_view url, const fs::path& target, const DownloadBudget& budget)
{
    CurlHandle handle(curl_easy_init());
    return gf_download(handle.get(), url, target, true, budget);
}

// Removes an installer left in the working folder; false (logged) when one
// stays there.
bool lf_removeOldInstaller()
{
    std::error_code ec;
    fs::remove(g_installNewVersionExePath, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
    {
        gf_logWarning(fmt::format("Warning: could not remove old installer: {}", ec.message()));
        return false;
    }
    return true;
}

// The entry that holds the installer: the one named install_new_version.exe,
// or else the archive's only file. None when the archive holds anything else,
// so that no other file is ever written under the installer's name.
std::optional<std::string> lf_installerEntry(const ZipArchive& archive)
{
    std::vector<std::string> files;
    std::vector<std::string> named;
    for (const std::string& name : archive.entryNames())
    {
        if (name.empty() || name.back() == '/')
        {
            continue; // a folder
        }
        files.push_back(name);
        if (gf_utf8ToPath(name).filename() == g_installNewVersionExePath)
        {
            named.push_back(name);
        }
    }
    if (named.size() == 1)
    {
        return named.front();
    }
    if (named.empty() && files.size() == 1)
    {
        return files.front();
    }
    return std::nullopt;
}

// Writes the entry into install_new_version.exe in the working folder. An
// unpacking that fails or yields another size than the archive states leaves
// no installer behind.
void lf_unzipInstaller(const ZipArchive& archive, const std::string& entry)
{
    if (!lf_removeOldInstaller())
    {
        return;
    }
    std::ofstream out(g_installNewVersionExePath, std::ios::binary | std::ios::trunc);
    if (!out)
    {
        gf_logWarning(fmt::format("Could not create output file {}", g_installNewVersionExePath.string()));
        return;
    }
    const int code = archive.readEntryInChunks(entry, kUnzipChunkBytes,
                                               [&out](std::span<const std::byte> chunk)
                                               {
                                                   out.write(reinterpret_cast<const char*>(chunk.data()),
                                                             static_cast<std::streamsize>(chunk.size()));
                                                   return static_cast<bool>(out);
                                               });
    out.close();
    if (code != 0 || !out)
    {
        if (code != 0)
        {
            gf_logWarning(fmt::format("Unzipping error code: {}", code));
        }
        else
        {
            gf_logWarning(fmt::format("Could not write {}", g_installNewVersionExePath.string()));
        }
        std::error_code ec;
        fs::remove(g_installNewVersionExePath, ec);
        return;
    }
    gf_log(fmt::format("{} unzipped to {}", kLatestVersionZipPath.string(),
                       g_installNewVersionExePath.string()));
}

// new_version exists and holds no files.
void lf_prepareNewVersionFolder()
{
    if (gf_pathExists(g_newVersionPath))
    {
        gf_removeFilesFromDirectory(g_newVersionPath);
    }
    else
    {
        fs::create_directory(g_newVersionPath);
    }
}

// Moves the extracted installer into new_version through a temporary name,
// so that new_version never holds a partly moved installer.
bool lf_moveInstaller()
{
    const fs::path dst = g_newVersionPath / g_installNewVersionExePath;
    fs::path tmp = dst;
    tmp += ".part";
    std::error_code ec;
    fs::remove(dst, ec);
    fs::remove(tmp, ec);

    const std::uintmax_t size1 = fs::file_size(g_installNewVersionExePath, ec);
    if (ec)
    {
        gf_log(fmt::format("file_size({}) failed: {}", g_installNewVersionExePath.string(), ec.message()));
        return false;
    }
    fs::rename(g_installNewVersionExePath, tmp, ec);
    if (ec)
    {
        gf_log(fmt::format("could not rename {} => {}: {}", g_installNewVersionExePath.string(), tmp.string(),
                           ec.message()));
        return false;
    }
    const std::uintmax_t size2 = fs::file_size(tmp, ec);
    if (ec)
    {
        gf_log(fmt::format("file_size({}) failed: {}", tmp.string(), ec.message()));
        fs::remove(tmp, ec);
        return false;
    }
    if (size2 != size1)
    {
        gf_log(fmt::format("rename {} => {} suspicious: size {} != {}", g_installNewVersionExePath.string(),
                           tmp.string(), size2, size1));
        fs::remove(tmp, ec);
        return false;
    }
    fs::rename(tmp, dst, ec);
    if (ec)
    {
        gf_log(
            fmt::format("could not finalize rename {} => {}: {}", tmp.string(), dst.string(), ec.message()));
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

// True when install_new_version.exe ends up in new_version.
bool lf_downloadAndUnzipInstaller(const VersionData& version)
{
    // An installer of an earlier attempt must not pass for this version's.
    if (!lf_removeOldInstaller())
    {
        return false;
    }
    const std::string url = fmt::format("{}{}/{}", gf_downloadBase() + "release/", g_programShortName,
                                        kLatestVersionZipPath.string());
    if (!lf_download(url, kLatestVersionZipPath, kInstallerBudget))
    {
        gf_setStatus(
            fmt::format("Downloading program installer file version {} failed", lf_versionText(version)),
            true);
    }
    else
    {
        gf_log(fmt::format("Downloaded {}", kLatestVersionZipPath.string()));
        std::string error;
        std::optional<ZipArchive> archive = ZipArchive::openReadOnly(kLatestVersionZipPath, &error);
        if (!archive)
        {
            gf_logWarning(fmt::format("Could not open {}", kLatestVersionZipPath.string()));
        }
        else if (const std::optional<std::string> entry = lf_installerEntry(*archive))
        {
            lf_unzipInstaller(*archive, *entry);
        }
        else
        {
            gf_logWarning(fmt::format("{} holds no single installer; nothing was unzipped",
                                      kLatestVersionZipPath.string()));
        }
    }

    lf_prepareNewVersionFolder();
    std::error_code ec;
    fs::remove(kLatestVersionZipPath, ec);
    if (ec)
    {
        gf_logWarning(fmt::format("Warning: could not remove downloaded zip: {}", ec.message()));
    }
    if (!gf_pathExists(g_installNewVersionExePath))
    {
        gf_logWarning(fmt::format("{} does not exists?", g_installNewVersionExePath.string()));
        return false;
    }
    if (!lf_moveInstaller())
    {
        return false;
    }
    fs::remove(g_installNewVersionExePath, ec);
    if (ec)
    {
        gf_logWarning(fmt::format("Warning: could not remove extracted: {}", ec.message()));
    }
    return true;
}

bool lf_writeReadme(const std::string& notice)
{
    return gf_replaceFile(g_newVersionPath / kReadmeName,
                          [&notice](std::ostream& out)
                          {
                              out << notice;
                              return static_cast<bool>(out);
                          });
}

// What the user must know of an update that is not used: in the log and on
// the status line.
void lf_warnAndShow(const std::string& text)
{
    gf_logWarning(text);
    gf_setStatus(text, false);
}

// Unpacks the new version into new_version, writes how to install it, shows
// the folder and stops the program; true then. False when this system cannot
// run the installer or it could not be unpacked: said once, and the start
// goes on with the installed program, which would otherwise stop at every
// start.
bool lf_offerNewVersion(const VersionData& web)
{
    if (!detail::g_installerRuns.load())
    {
        lf_warnAndShow(fmt::format(
            "Version {} is available via the Halvaro website; its installer cannot run on this system",
            lf_versionText(web)));
        return false;
    }
    if (!lf_downloadAndUnzipInstaller(web))
    {
        lf_warnAndShow(
            "The downloading/unzipping of the new version failed? Try manually via the Halvaro website");
        return false;
    }
    const fs::path notesTarget = g_newVersionPath / g_releaseNotesPdfPath;
    if (!lf_download(gf_downloadBase() + "docs/" + g_releaseNotesPdfPath.string(), notesTarget,
                     kReleaseNotesBudget))
    {
        gf_logWarning(fmt::format("could not download {} to {}", g_releaseNotesPdfPath.string(),
                                  (fs::current_path() / g_newVersionPath).string()));
    }
    const std::string notice = gf_newVersionNotice(fs::current_path());
    gf_log(notice);
    if (!lf_writeReadme(notice))
    {
        gf_logWarning(fmt::format("Could not write {}", (g_newVersionPath / kReadmeName).string()));
    }
    if (!gf_openWithShell(g_newVersionPath / g_installNewVersionExePath))
    {
        const std::wstring caption = gf_utf8ToWide(g_programShortName);
        MessageBoxW(nullptr, L"Could not open File Explorer at new version", caption.c_str(),
                    MB_ICONEXCLAMATION);
        gf_setStatus("Opening file explorer at the new version failed? Try manually via the Halvaro website.",
                     true);
    }
    if (!gf_stopRequested())
    {
        gf_requestStop(kExitNewVersion, 0);
    }
    return true;
}

void lf_markUpdated(const Component& component, const VersionData& web)
{
    const std::string text = lf_versionText(web);
    gf_setParameter(*component.installed, text);
    gf_log(fmt::format("{} updated to {}", component.key, text));
}

// Fetches the component's file beside the installed one and puts it in
// place only when it reads, so that anything else the service may send (a
// login page, a cut file, a file of another key) keeps the installed file
// and its version, and the next start asks again.
bool lf_installDataFile(const Component& component)
{
    const fs::path installed = g_inputPath / *component.downloadName;
    fs::path fetched = installed;
    fetched += ".new";
    if (!gf_downloadFile(*component.downloadName, fetched))
    {
        return false;
    }
    std::string why;
    const bool reads = gf_dataFileReads(fetched, component.section, why);
    std::error_code ec;
    if (reads)
    {
        fs::rename(fetched, installed, ec);
        if (!ec)
        {
            return true;
        }
        why = fmt::format("it could not replace the installed file: {}", ec.message());
    }
    fs::remove(fetched, ec);
    const std::string text =
        fmt::format("The {} from the update service is not used ({}); the installed one is kept",
                    component.downloadName->string(), why);
    lf_warnAndShow(text);
    return false;
}

void lf_updateComponent(const Component& component, const nlohmann::json& root)
{
    const std::optional<VersionData> web = lf_webVersion(root, component.key);
    if (!web)
    {
        gf_logWarning(fmt::format("{} version not found", component.key));
        return;
    }
    // A stored version that cannot be read counts as 0.0.0, so the component
    // is fetched again.
    const VersionData installed(component.installed->value());
    if (*web <= installed && (component.file == nullptr || gf_pathExists(*component.file)))
    {
        gf_log(fmt::format("{} version up-to-date", component.key));
        return;
    }
    if (component.action == ComponentAction::download)
    {
        if (!gf_pathExists(g_inputPath))
        {
            fs::create_directory(g_inputPath);
        }
        if (lf_installDataFile(component))
        {
            lf_markUpdated(component, *web);
        }
        return;
    }
    BoolParameter& scan = *component.scanSetting;
    scan.current.store(true);
    gf_saveBoolSetting(scan);
    gf_showParameterCheck(scan);
    gf_repaintRect(kOptionsAreaRect);
    lf_markUpdated(component, *web);
}

// The process's token says it runs elevated.
bool lf_processIsElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const bool queried =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &length) != 0;
    CloseHandle(token);
    return queried && elevation.TokenIsElevated != 0;
}

// A file can be created in the folder and written to (it is gone again when
// its handle closes).
bool lf_folderIsWritable(const fs::path& folder)
{
    const std::wstring name = gf_utf8ToWide(gf_pathToUtf8(folder / ".write_test.tmp"));
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    const char byte = 0;
    DWORD written = 0;
    const bool ok = WriteFile(file, &byte, 1, &written, nullptr) != 0 && written == 1;
    CloseHandle(file);
    return ok;
}

// The folder lies in the known folder or below it. Whole path elements are
// compared, so that a sibling whose name merely begins the same (a folder
// "Program Files Tools" beside "Program Files") is not taken for it.
bool lf_isUnder(const fs::path& folder, REFKNOWNFOLDERID id)
{
    const std::optional<std::wstring> known = gf_knownFolderPath(id);
    if (!known || known->empty())
    {
        return false;
    }
    const fs::path base = gf_utf8ToPath(gf_wideToUtf8(*known)).lexically_normal();
    const fs::path relative = folder.lexically_normal().lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

std::string gf_newVersionNotice(const std::filesystem::path& programFolder)
{
    const bool protectedFolder = lf_isUnder(programFolder, FOLDERID_ProgramFiles) ||
                                 lf_isUnder(programFolder, FOLDERID_ProgramFilesX86);
    const bool writable = lf_folderIsWritable(programFolder);
    if (protectedFolder && !writable && !lf_processIsElevated())
    {
        return std::string(kAdministratorNotice);
    }
    return std::string(kNormalNotice);
}

bool gf_checkForUpdates()
{
    const CheckingShown checking;
    if (!lf_download(gf_downloadBase() + kVersionsJsonPath.string(), kVersionsJsonPath, kVersionInfoBudget))
    {
        gf_logWarning("Downloading version info from my web site failed!");
        return true;
    }
    nlohmann::json root;
    {
        std::ifstream in(kVersionsJsonPath, std::ios::binary);
        if (!in)
        {
            gf_logWarning(fmt::format("Cannot open {}", kVersionsJsonPath.string()));
            return true;
        }
        root = nlohmann::json::parse(in, nullptr, false);
    }
    fs::remove(kVersionsJsonPath);
    // A damaged file says nothing about the versions: start as if the service
    // could not be reached.
    if (root.is_discarded())
    {
        gf_logWarning(
            fmt::format("{} is not valid JSON; no update check this time", kVersionsJsonPath.string()));
        return true;
    }

    if (const std::optional<VersionData> web = lf_webVersion(root, kProgramKey))
    {
        gf_log(fmt::format("{} program version at web = {}", kProgramKey, lf_versionText(*web)));
        if (*web > g_version)
        {
            if (lf_offerNewVersion(*web))
            {
                return false;
            }
        }
        else
        {
            gf_log(fmt::format("{} version up-to-date", kProgramKey));
        }
    }
    else
    {
        gf_logWarning(fmt::format("{} version not found", kProgramKey));
    }

    for (const Component& component : kComponents)
    {
        lf_updateComponent(component, root);
    }
    return true;
}

} // namespace ovr
