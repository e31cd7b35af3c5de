#include "scanners/airport_files_generation.h"

#include <algorithm>
#include <system_error>

#include <fmt/format.h>

#include "airports/apf_locate.h"
#include "airports/apf_writer.h"
#include "airports/facility_reader.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "liveries/model_database.h"
#include "liveries/publishers.h"
#include "scanners/airport_file_counts.h"
#include "scanners/package_manifest.h"
#include "scanners/scan_report.h"
#include "scanners/scan_written_files.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr std::string_view kSimaddon = "simaddon";
constexpr std::int32_t kFacilityRestartError = 111;

const fs::path& lf_folderOf(const ScannedAirport& airport)
{
    return airport.record.publisher == kSimaddon ? g_mySimaddonPath : g_myThirdpartyPath;
}

bool lf_thinManifest(const ScannedAirport& airport)
{
    return airport.manifest && airport.manifest->manufacturer.size() < 4 &&
           airport.manifest->creator.size() < 4;
}

} // namespace

void gf_reportFacilityFailure(const IcaoCode& icao)
{
    const std::string message =
        fmt::format("Reading Facilites data for {} via SimConnect failed, is MSFS connected?", icao.text());
    gf_log(message);
    gf_reportScan(message);
    gf_saveScanReport();
}

void gf_recountSimaddon()
{
    g_mySimaddonCount.store(gf_countFolderEntries(g_mySimaddonPath));
    gf_repaintStatusPanel();
}

void gf_recountThirdparty()
{
    g_myThirdpartyCount.store(gf_countFolderEntries(g_myThirdpartyPath));
    gf_repaintStatusPanel();
}

std::optional<std::string> lf_simaddonArchiveName(const IcaoCode& icao)
{
    std::string name = fmt::format("archive/{}/{}", kSimaddon, gf_icaoXmlName(icao));
    const TextSet& listed = g_simIs2020.load() != 0 ? g_simaddons20 : g_simaddons24;
    if (listed.contains(icao.text()))
        return name;
    gf_reportScan(fmt::format("{} does not exist as simaddon", icao.text()));
    return std::nullopt;
}

std::optional<std::string> lf_thirdpartyArchiveName(const ScannedAirport& airport)
{
    const AirportStands& record = airport.record;
    std::string folder;
    for (const char c : record.publisher)
    {
        if (c == ' ')
            folder += "%20";
        else
            folder += c;
    }
    const std::string prefix = fmt::format("archive/thirdparty/{}/", folder);
    const bool sim2020 = g_simIs2020.load() != 0;
    if (airport.manifest)
    {
        const std::string key = gf_icaoNamedFile(record.icao, airport.manifest->version);
        if (gf_isThirdParty(sim2020, record.publisher, key))
            return prefix + key + ".xml";
    }
    if (gf_isThirdParty(sim2020, record.publisher, record.icao.text()))
        return prefix + gf_icaoXmlName(record.icao);
    gf_reportScan(fmt::format("thirdparty {} {} does not exist", record.publisher, record.icao.text()));
    return std::nullopt;
}

bool lf_linkAirport(ScannedAirport& airport)
{
    AirportStands& record = airport.record;
    if (record.publisher.empty())
        lf_classifyPublisher(airport);
    if (record.publisher.empty())
        return false;
    const bool simaddon = record.publisher == kSimaddon;
    const std::optional<std::string> name =
        simaddon ? lf_simaddonArchiveName(record.icao) : lf_thirdpartyArchiveName(airport);
    if (!name)
        return false;
    const fs::path& folder = lf_folderOf(airport);
    const fs::path linkFile = folder / gf_icaoTxtPath(record.icao);
    std::error_code ec;
    fs::create_directories(folder, ec);
    gf_makeRoomForScanFile(linkFile, record.sceneryPathText);
    if (!gf_writeTextLines(*name, linkFile, true))
    {
        // Without its link file the airport would have no file at all:
        // generate it instead.
        gf_reportScan(fmt::format("{}Writing {} did not succeed", "===> ", gf_pathToUtf8(linkFile)));
        return false;
    }
    gf_noteScanWritten(linkFile, record.sceneryPathText);
    if (simaddon)
        gf_reportScan(fmt::format("{} airport {} linked to {}\n", kSimaddon, record.icao.text(), *name));
    else
        gf_reportScan(fmt::format("thirdparty airport {} linked to {}\n", record.icao.text(), *name));
    return true;
}

void lf_writeAirportFile(ScannedAirport& airport, std::uint32_t helipads)
{
    AirportStands& record = airport.record;
    if (record.stands.empty())
    {
        gf_reportScan(fmt::format("{} has no stands", record.icao.text()));
        return;
    }
    const fs::path& folder = lf_folderOf(airport);
    const std::size_t count = record.stands.size();
    const std::string ofHelipads =
        helipads >= 1 ? fmt::format(" of which {} helipad{}", helipads, helipads == 1 ? "" : "s")
                      : std::string();
    gf_reportScan(fmt::format("Generated {}: {} position{}{}", gf_icaoXmlName(record.icao), count,
                              count == 1 ? "" : "s", ofHelipads));
    std::sort(record.stands.begin(), record.stands.end(),
              [](const Stand& a, const Stand& b) { return a.name < b.name; });
    // A working folder without its airports folder yet gets it here.
    if (!fs::exists(folder))
        fs::create_directories(folder);
    gf_takeManifestDetails(airport);
    const fs::path file = folder / gf_icaoXmlPath(record.icao);
    gf_makeRoomForScanFile(file, record.sceneryPathText);
    if (gf_writeAirportFile(record, file, kApfFullMode, false, g_simNumber.load()))
        gf_noteScanWritten(file, record.sceneryPathText);
    else
        gf_reportScan(fmt::format("{}Writing {} did not succeed", "===> ", gf_pathToUtf8(file)));
}

bool lf_readFacilityOf(ScannedAirport& airport, std::uint32_t& helipads)
{
    try
    {
        return gf_readFacility(airport.record.icao.text(), airport.record, helipads);
    }
    catch (const UserErrorException& e)
    {
        // The simulator refused this airport's request: a failed read of this
        // package, and the scan goes on.
        if (e.code() != kFacilityRestartError)
            throw;
        gf_logWarning(fmt::format("Fac: {} for {}", e.what(), airport.record.icao.text()));
        return false;
    }
}

bool lf_airportFromFacilities(const fs::path& path)
{
    gf_reportScan(fmt::format("\nFac: {}", gf_pathToUtf8(path)));
    ScannedAirport airport = gf_scannedAirportAt(path);
    airport.manifest = gf_searchManifest(path);
    bool unsupported = false;
    const std::optional<IcaoCode> code = gf_airportCodeFromBgl(airport, unsupported);
    if (!code)
        return unsupported;
    airport.record.icao = *code;
    if (lf_linkAirport(airport))
    {
        gf_recountSimaddon();
        gf_recountThirdparty();
        return true;
    }
    if (lf_thinManifest(airport))
        return false;
    std::uint32_t helipads = 0;
    if (lf_readFacilityOf(airport, helipads))
    {
        lf_writeAirportFile(airport, helipads);
        gf_recountThirdparty();
        return true;
    }
    gf_reportFacilityFailure(*code);
    return false;
}

BglAirportSink gf_scanSink()
{
    BglAirportSink sink;
    sink.link = [](ScannedAirport& airport)
    {
        if (!lf_linkAirport(airport))
            return false;
        gf_recountSimaddon();
        gf_recountThirdparty();
        return true;
    };
    sink.write = [](ScannedAirport& airport, std::uint32_t helipads)
    {
        lf_writeAirportFile(airport, helipads);
        gf_recountThirdparty();
    };
    return sink;
}

} // namespace ovr
