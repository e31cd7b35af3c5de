#include "scanners/airport_walks.h"

#include <algorithm>
#include <array>
#include <exception>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "core/log.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/text_convert.h"
#include "core/window_repaint.h"
#include "liveries/publishers.h"
#include "scanners/airport_file_counts.h"
#include "scanners/airport_files_generation.h"
#include "scanners/bgl_reader.h"
#include "scanners/folder_visits.h"
#include "scanners/scan_report.h"
#include "scanners/tblo_zip.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr std::array<std::string_view, 7> kSceneryFilters = {
    "statics",         "afcad updates",    "_heliports",   "duijffmedia-eham-remove",
    "immersivelights", "immersive-lights", "bksq-scenery-"};

constexpr std::array<std::string_view, 40> kStreamedSkips = {"fs20-",
                                                             "-landingchallenge-",
                                                             "-cabin-services",
                                                             "-credits-override",
                                                             "-devmode-streamed",
                                                             "-livingworld",
                                                             "-fa18e-character",
                                                             "-jetways",
                                                             "-material-lib",
                                                             "-palettelib",
                                                             "-procedural-hangar-",
                                                             "-eventtriggers",
                                                             "-event-rescuechallenge",
                                                             "-discovery-",
                                                             "-challenges-",
                                                             "-aircraft-",
                                                             "-ships-",
                                                             "-certification-",
                                                             "-training-",
                                                             "-activities-",
                                                             "-passiveaircraft-",
                                                             "-trainings-",
                                                             "-fs-base-",
                                                             "-runway-lights",
                                                             "-travelbook-",
                                                             "-simobjects-",
                                                             "-airrace-",
                                                             "-procedural-",
                                                             "-palette-",
                                                             "-spotlight-",
                                                             "-modellib-",
                                                             "-texturelib",
                                                             "-textlib",
                                                             "-scenery-",
                                                             "-surface-",
                                                             "-vfx-",
                                                             "-coverage-",
                                                             "-point-of-interest",
                                                             "-proceduralgeneration",
                                                             "-simattachmentlib-"};

constexpr std::array<std::string_view, 3> kOfficialMarkers = {"asobo-airport", "microsoft-airport",
                                                              "microsoft-eddk"};

bool lf_containsAny(const std::string& text, std::span<const std::string_view> fragments)
{
    return std::any_of(fragments.begin(), fragments.end(),
                       [&](std::string_view fragment) { return text.find(fragment) != std::string::npos; });
}

bool lf_isBglFile(const fs::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == ".bgl";
}

// The entries of a folder sorted by name; none when it cannot be read.
std::vector<fs::directory_entry> lf_sortedEntries(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    return entries;
}

// One scenery file: a failure of this file is reported and the walk goes on.
void lf_scanSceneryFile(const fs::path& path, const BglAirportSink& sink)
{
    try
    {
        if (lf_airportFromFacilities(path))
            return;
        gf_reportScan("Facilities reader did not succeed, trying the BGL file reader ...");
        lf_processBGLfile(path, sink);
    }
    catch (const std::exception& e)
    {
        gf_reportScan(fmt::format("{}{} skipped, cause: {}", "===> ", gf_pathToUtf8(path), e.what()));
    }
}

// Walks the folder down; false once a stop ended the walk. Packages are
// often linked into Community rather than copied: links are followed, and
// each real folder is entered once.
bool lf_walkAddonFolder(const fs::path& folder, const BglAirportSink& sink, FolderVisits& visits)
{
    for (const fs::directory_entry& entry : lf_sortedEntries(folder))
    {
        const fs::path& path = entry.path();
        if (lf_skipAddonFolder(path))
            continue;
        std::error_code ec;
        const fs::file_status status = entry.status(ec);
        if (ec)
            continue;
        if (fs::is_directory(status))
        {
            if (visits.enter(path) && !lf_walkAddonFolder(path, sink, visits))
                return false;
            continue;
        }
        if (!entry.is_regular_file(ec) || ec || !lf_isBglFile(path))
            continue;
        const std::string text = gf_pathToUtf8(path);
        if (lf_isFilteredSceneryFile(text))
            continue;
        if (!lf_bglHasAirportSection(path))
            continue;
        if (gf_stopRequested())
            return false;
        lf_scanSceneryFile(path, sink);
    }
    return true;
}

void lf_settleStreamedAirport(ScannedAirport& airport)
{
    if (lf_linkAirport(airport))
        return;
    std::uint32_t helipads = 0;
    if (lf_readFacilityOf(airport, helipads))
        lf_writeAirportFile(airport, helipads);
    else
        gf_reportFacilityFailure(airport.record.icao);
}

} // namespace

bool lf_isFilteredSceneryFile(const std::string& pathText)
{
    return lf_containsAny(pathText, kSceneryFilters);
}

bool lf_isSkippedStreamedPackage(const std::string& pathText)
{
    return lf_containsAny(pathText, kStreamedSkips);
}

void lf_scanBglFolder(const fs::path& folder)
{
    const std::string folderText = gf_pathToUtf8(folder);
    const std::string message =
        fmt::format("\n***** Scanning for {} airports in:\n{}\n", "addon", folderText);
    gf_setStatus(message, true);
    gf_reportScan(message);
    try
    {
        FolderVisits visits;
        visits.enter(folder);
        lf_walkAddonFolder(folder, gf_scanSink(), visits);
    }
    catch (const std::exception& e)
    {
        gf_reportScan(
            fmt::format("{} airports search in folder {} aborted, cause: {}", "===> ", folderText, e.what()));
    }
}

void lf_scanStreamedAirports(const fs::path& folder)
{
    gf_setStatus("Scanning for streamed airports ...", false);
    const std::string message =
        fmt::format("\n***** Scanning for streamed airports in:\n{}\n", gf_pathToUtf8(folder));
    gf_log(message);
    gf_reportScan(message);

    std::vector<fs::directory_entry> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        entries.push_back(entry);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });

    std::int64_t official = 0;
    for (const fs::directory_entry& entry : entries)
    {
        std::error_code ec;
        const fs::file_status status = entry.status(ec);
        if (ec)
        {
            // One entry whose status cannot be read (a link to itself, a
            // package being removed) costs only that entry, not the scan.
            if (ec != std::errc::no_such_file_or_directory)
                gf_reportScan(fmt::format("{}{} skipped, cause: {}", "===> ", gf_pathToUtf8(entry.path()),
                                          ec.message()));
            continue;
        }
        if (!fs::is_directory(status))
            continue;
        const std::string text = gf_pathToUtf8(entry.path());
        if (lf_isSkippedStreamedPackage(text))
            continue;
        if (gf_stopRequested())
            break;
        gf_reportScan(fmt::format("\n{}", text));
        const std::optional<IcaoCode> code = gf_findAirportCodeInText(text);
        if (!code)
            continue;
        if (!gf_isKnownAirport(*code))
        {
            gf_reportScan("no supported airport ICAO in BGL path");
            continue;
        }
        ScannedAirport airport = gf_scannedAirportAt(entry.path());
        airport.record.icao = *code;
        if (lf_containsAny(text, kOfficialMarkers))
        {
            gf_reportScan(fmt::format("airport has '{}' in directory path", code->text()));
            if (++official % 10 == 0)
            {
                g_mySimaddonCount.store(official);
                gf_repaintStatusPanel();
            }
            airport.record.publisher = "simaddon";
            airport.manifest = PackageManifest{"", "", "microsoft", "asobo"};
        }
        else
        {
            gf_reportScan(fmt::format("airport has '{}' in folder path", code->text()));
            gf_saveScanReport();
            if (const std::optional<std::string> publisher = gf_findPublisher(text))
            {
                airport.record.publisher = *publisher;
                gf_reportScan(fmt::format("publisher '{}' found", *publisher));
            }
            gf_saveScanReport();
        }
        lf_settleStreamedAirport(airport);
        if (gf_stopRequested())
        {
            gf_saveScanReport();
            break;
        }
    }
    lf_copySimaddonToTblo();
    gf_recountSimaddon();
}

} // namespace ovr
