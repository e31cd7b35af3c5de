#include "scanners/package_manifest.h"

#include <exception>
#include <system_error>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "airports/airport_list.h"
#include "core/text_lines.h"
#include "liveries/publishers.h"
#include "scanners/scan_report.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr int kFoldersSearched = 7;
constexpr std::size_t kManifestLines = 48;

std::size_t g_manifestFolderProbes = 0;

void lf_setPublisher(ScannedAirport& airport, const std::string& publisher, std::string_view format)
{
    airport.record.publisher = publisher;
    gf_reportScan(fmt::format(fmt::runtime(format), publisher));
}

} // namespace

fs::path lf_findManifestFile(const fs::path& folder)
{
    ++g_manifestFolderProbes;
    // The name is compared exactly (Manifest.json is no manifest), which a
    // status query of that one name does without listing the folder; it
    // fails as well where the folder is none, so that needs no query of its
    // own.
    std::error_code ec;
    fs::path candidate = folder / "manifest.json";
    const fs::file_status status = fs::status(candidate, ec);
    if (ec || !fs::is_regular_file(status))
        return {};
    return candidate;
}

std::string lf_manifestText(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return {};
    if ((it->is_object() || it->is_array()) && it->empty())
        return {};
    return it->get<std::string>();
}

std::optional<PackageManifest> lf_readManifest(const fs::path& file)
{
    LineFile lines{file, {}};
    const LinesResult result = gf_readFileLines(lines, kManifestLines);
    if (!result || result.lines.empty())
        return std::nullopt;
    std::string text;
    for (const std::string& line : result.lines)
        text += line;
    const nlohmann::json json = nlohmann::json::parse(text);
    if (!json.is_object())
        return std::nullopt;
    PackageManifest manifest;
    manifest.version = lf_manifestText(json, "package_version");
    if (manifest.version.empty())
        manifest.version = lf_manifestText(json, "version");
    manifest.title = lf_manifestText(json, "title");
    manifest.manufacturer = lf_manifestText(json, "manufacturer");
    manifest.creator = lf_manifestText(json, "creator");
    return manifest;
}

std::optional<PackageManifest> gf_searchManifest(const fs::path& file)
{
    try
    {
        // A package folder (a streamed package) holds its own manifest.
        std::error_code ec;
        fs::path folder = fs::is_directory(file, ec) ? file : file.parent_path();
        for (int i = 0; i < kFoldersSearched; ++i)
        {
            const fs::path manifest = lf_findManifestFile(folder);
            if (!manifest.empty())
            {
                if (std::optional<PackageManifest> found = lf_readManifest(manifest))
                    return found;
            }
            fs::path parent = folder.parent_path();
            if (parent == folder)
                break;
            folder = std::move(parent);
        }
    }
    catch (const std::exception& e)
    {
        gf_reportScan(fmt::format("exception in gf_searchManifest: {}", e.what()));
    }
    return std::nullopt;
}

void lf_classifyPublisher(ScannedAirport& airport)
{
    const std::string_view pathText = airport.record.sceneryPathText;
    if (lf_matchesNoCase(pathText, "microsoft-airport") || lf_matchesNoCase(pathText, "asobo-airport"))
    {
        lf_setPublisher(airport, "simaddon", "publisher: {}");
        return;
    }
    if (const std::optional<std::string> publisher = gf_findPublisher(pathText))
    {
        lf_setPublisher(airport, *publisher, "publisher: {}");
        return;
    }
    if (!airport.manifest)
        airport.manifest = gf_searchManifest(airport.record.sceneryPath);
    if (!airport.manifest)
        return;
    if (const std::optional<std::string> publisher = gf_findPublisher(airport.manifest->manufacturer))
        lf_setPublisher(airport, *publisher, "publisher '{}'");
    else if (const std::optional<std::string> byCreator = gf_findPublisher(airport.manifest->creator))
        lf_setPublisher(airport, *byCreator, "publisher '{}'");
}

std::optional<IcaoCode> gf_airportCodeFromBgl(ScannedAirport& airport, bool& unsupported)
{
    try
    {
        if (const std::optional<IcaoCode> code = gf_findAirportCodeInText(airport.record.sceneryPathText))
        {
            gf_reportScan(fmt::format("airport has code '{}' in BGL path", code->text()));
            if (gf_isKnownAirport(*code))
                return code;
            unsupported = true;
            gf_reportScan(fmt::format("no supported airport '{}' in BGL path", code->text()));
            return std::nullopt;
        }
        gf_reportScan("no airport code found in BGL path");

        const std::string stem = airport.record.sceneryPath.stem().string();
        if (stem.size() == 4)
        {
            const IcaoCode code(stem);
            if (gf_isKnownAirport(code))
            {
                gf_reportScan(fmt::format("code '{}' as stem", code.text()));
                return code;
            }
            unsupported = true;
            gf_reportScan(fmt::format("no supported airport code '{}' as stem", code.text()));
            return std::nullopt;
        }

        if (!airport.manifest)
            airport.manifest = gf_searchManifest(airport.record.sceneryPath);
        if (!airport.manifest)
            return std::nullopt;
        const std::optional<IcaoCode> code = gf_findAirportCodeInText(airport.manifest->title);
        if (!code)
            return std::nullopt;
        gf_reportScan(fmt::format("airport has code '{}' in title of manifest", code->text()));
        if (gf_isKnownAirport(*code))
            return code;
        unsupported = true;
        gf_reportScan(fmt::format("no supported airport '{}' in title of manifest", code->text()));
        return std::nullopt;
    }
    catch (const std::exception& e)
    {
        gf_reportScan(fmt::format("Exception {}", e.what()));
        return std::nullopt;
    }
}

namespace detail
{
std::size_t manifestFolderProbes()
{
    return g_manifestFolderProbes;
}
} // namespace detail

} // namespace ovr
