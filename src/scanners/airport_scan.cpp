// The airport scan: once per session start while SCAN_AIRPORTS is on, the
// simulator's package folders are walked for add-on airports; each one the
// live-traffic service supports gets a linked or generated airport file.
// The scan leaves its report in output/info/AirportsScanLog.txt and, when it
// generated airports the archive lacks, tblo/tblo.zip; then it switches
// SCAN_AIRPORTS off.
#include <exception>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "airports/facility_reader.h"
#include "airports/supported_airports.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/sim_data_path.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "platform/simconnect/simconnect.h"
#include "scanners/airport_file_counts.h"
#include "scanners/airport_files_generation.h"
#include "scanners/airport_scan_detail.h"
#include "scanners/airport_walks.h"
#include "scanners/package_scans.h"
#include "scanners/scan_report.h"
#include "scanners/scan_written_files.h"
#include "scanners/tblo_zip.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr std::size_t kReportLines = 2048;
constexpr std::string_view kMaintainersAddress = "airportfiles@voraflow.example";

std::string lf_trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

void lf_closeFacilityClient()
{
    if (!g_parkingDataRdrOpen)
        return;
    if (SimConnect_Close(g_parkingDataRdr) < 0)
        gf_logWarning("Closing SimConnect failed?!");
    else
        gf_log("SimConnect closed ok");
    g_parkingDataRdr = nullptr;
    g_parkingDataRdrOpen = false;
    gf_log("SimConnect (PARKING_DATA_RDR) closed");
}

void lf_prepareTbloFolder()
{
    std::error_code ec;
    const fs::file_status status = fs::status(g_tbloPath, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw fs::filesystem_error("exists", g_tbloPath, ec);
    if (!fs::exists(status))
        fs::create_directory(g_tbloPath);
    else
        gf_removeFilesFromDirectory(g_tbloPath);
}

std::vector<fs::path> lf_scanFolderList()
{
    if (g_simIs2020.load() != 0)
        return {gf_simDataPath(g_officialPath), gf_simDataPath(g_communityPath)};
    return {gf_simDataPath(g_streamedPackagesPath), gf_simDataPath(g_communityPath)};
}

void lf_switchScanOff()
{
    SCAN_AIRPORTS.current.store(false);
    gf_saveBoolSetting(SCAN_AIRPORTS);
    gf_showParameterCheck(SCAN_AIRPORTS);
    gf_repaintMainWindow();
}

} // namespace

void lf_readIcaoAirports()
{
    g_supportedAirports.clear();
    LineFile file{g_icaoAirportsTxtPath, {}};
    const LinesResult lines = gf_readFileLines(file, 0);
    if (!lines)
        throw UserErrorException(522,
                                 fmt::format("File '{}' is missing?", gf_pathToUtf8(g_icaoAirportsTxtPath)));
    for (const std::string& line : lines.lines)
    {
        std::string_view rest = line;
        while (true)
        {
            const std::size_t comma = rest.find(',');
            // A trailing comma or a blank piece names no airport.
            const std::string piece = lf_trimmed(rest.substr(0, comma));
            if (!piece.empty())
                g_supportedAirports.insert(IcaoCode(piece));
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    gf_log(fmt::format("{} ICAO codes of airports read", g_supportedAirports.size()));
}

void lf_scanFolders(const std::vector<fs::path>& folders)
{
    for (const fs::path& folder : folders)
    {
        if (folder.empty())
            continue;
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (ec && ec != std::errc::no_such_file_or_directory)
            throw fs::filesystem_error("exists", folder, ec);
        if (!fs::exists(status))
        {
            gf_setStatus(fmt::format("{} does not exist, skipped!", gf_pathToUtf8(folder)), true);
            continue;
        }
        if (!fs::is_directory(status))
        {
            gf_setStatus(fmt::format("{} is not a folder name, skipped!", gf_pathToUtf8(folder)), true);
            continue;
        }
        if (gf_pathToUtf8(folder).find("StreamedPackages") != std::string::npos)
            lf_scanStreamedAirports(folder);
        else
            lf_scanBglFolder(folder);
    }
}

bool lf_airportsScan(const std::vector<fs::path>& folders)
{
    gf_log(fmt::format("The scan will search {} folder{}", folders.size(), gf_pluralU64(folders.size())));
    std::error_code ec;
    fs::remove(g_airportsScanLogTxtPath, ec);
    if (ec)
        gf_log("problems with removing previous files (maybe still open?): " + ec.message());
    g_tbloCount.store(0);
    g_scanMessages.reserve(kReportLines);

    lf_scanFolders(folders);

    gf_reportScan("\nAirpoprts scan finished!");
    gf_saveScanReport();
    gf_log(gf_pathToUtf8(g_airportsScanLogTxtPath) + " written");
    gf_clearStatus();
    g_scanMessages.clear();

    lf_copyThirdpartyToTblo();
    const std::int64_t copies = gf_countFolderEntries(g_tbloPath);
    if (copies == 0)
    {
        g_tbloCount.store(0);
        gf_log("All your simaddon and third party airports are recognised, no off line learning needed.");
    }
    else
    {
        const fs::path zip = g_tbloPath / g_tbloZipPath;
        if (!lf_zipFolder(g_tbloPath, zip))
            gf_logWarning("Zippen TBLO folder failed");
        gf_removeXMLFilesFromDirectory(g_tbloPath);
        g_tbloCount.store(copies);
        gf_enableControl(kTbloZipControlId, true);
        gf_log(fmt::format("\n! Mail {} to {}\n", gf_pathToUtf8(zip), kMaintainersAddress));
        gf_repaintMainWindow();
    }
    gf_recountSimaddon();
    gf_recountThirdparty();
    return gf_countFolderEntries(g_myThirdpartyPath) >= 1;
}

void lf_runAirportsScan(const std::vector<fs::path>& folders)
{
    gf_clearScanWritten(g_mySimaddonPath);
    gf_clearScanWritten(g_myThirdpartyPath);
    if (!lf_airportsScan(folders))
        gf_setStatus("Warning: Scan has not found any add-on airports", true);
    lf_switchScanOff();
}

void gf_scanAirports()
{
    try
    {
        gf_setStatus("Scanning for airports ...", false);
        gf_log(fmt::format("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++",
                           "automatic "));
        g_mySimaddonCount.store(0);
        g_myThirdpartyCount.store(0);
        gf_repaintStatusPanel();
        lf_readIcaoAirports();
        lf_prepareTbloFolder();
        lf_runAirportsScan(lf_scanFolderList());
        if (g_tbloCount.load() == 0)
            fs::remove_all(g_tbloPath);
        gf_repaintStatusPanel();
    }
    catch (...)
    {
        // The facility client and the supported set belong to this scan
        // only, also when it ends with an error.
        lf_closeFacilityClient();
        g_supportedAirports.clear();
        g_scanMessages.clear();
        throw;
    }
    lf_closeFacilityClient();
    g_supportedAirports.clear();
    gf_log("-------------------------- airports scan ends -------------------------------\n");
}

} // namespace ovr
