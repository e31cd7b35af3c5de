#include "scanners/tblo_zip.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/airport_list.h"
#include "airports/apf_locate.h"
#include "core/files.h"
#include "core/log.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/zip_archive.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

// One thirdparty file that the archive must never receive from users.
const IcaoCode kExceptedAirport{"KMCI"};
constexpr std::string_view kExceptedPublisher = "TropicalSim";

// Copies one generated airport of the folder into tblo; true when copied.
bool lf_copyToTblo(const fs::path& folder, const IcaoCode& icao)
{
    if (!gf_isKnownAirport(icao))
        return false;
    const fs::path source = folder / gf_icaoXmlPath(icao);
    const fs::path target = g_tbloPath / gf_icaoXmlPath(icao);
    std::error_code ec;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec)
    {
        gf_logWarning(fmt::format("'{}' failed to copy '{}': {}", gf_pathToUtf8(source),
                                  gf_pathToUtf8(target), ec.message()));
        return false;
    }
    const fs::path link = folder / gf_icaoTxtPath(icao);
    const bool linked = fs::exists(link, ec);
    if (ec)
        gf_logWarning(fmt::format("exists({}) failed: {}", gf_pathToUtf8(link), ec.message()));
    else if (linked)
    {
        fs::remove(source, ec);
        if (ec)
            gf_logWarning(fmt::format("remove({}) failed: {}", gf_pathToUtf8(source), ec.message()));
    }
    return true;
}

bool lf_isExceptedFile(const fs::path& file)
{
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        return false;
    const std::optional<std::string> publisher = gf_readStringParameter(document, "publisher");
    return publisher && *publisher == kExceptedPublisher;
}

bool lf_closeZip(ZipArchive& archive, const fs::path& target, std::int64_t added)
{
    const int status = archive.close();
    std::error_code ec;
    const fs::file_status state = fs::status(target, ec);
    const bool exists = !ec && fs::exists(state);
    std::uintmax_t size = 0;
    if (exists)
    {
        size = fs::file_size(target, ec);
        if (ec)
            size = std::numeric_limits<std::uintmax_t>::max();
    }
    gf_log(fmt::format("[zip] Added {} files, ok_close={}, exists={}, size={} bytes", added, status == 0,
                       exists, size));
    return added > 0 && exists && size != 0;
}

} // namespace

void lf_copySimaddonToTblo()
{
    std::int32_t copied = 0;
    for (const IcaoCode& icao : gf_listIcaoXmlFiles(g_mySimaddonPath))
        if (lf_copyToTblo(g_mySimaddonPath, icao))
            ++copied;
    if (copied > 0)
        gf_log(fmt::format("{} simaddon file{} copied to tblo folder", copied, gf_plural(copied)));
}

void lf_copyThirdpartyToTblo()
{
    for (const IcaoCode& icao : gf_listIcaoXmlFiles(g_myThirdpartyPath))
    {
        if (icao == kExceptedAirport)
        {
            const fs::path file = g_myThirdpartyPath / gf_icaoXmlPath(icao);
            if (lf_isExceptedFile(file))
            {
                fs::remove(file);
                continue;
            }
        }
        lf_copyToTblo(g_myThirdpartyPath, icao);
    }
}

std::optional<std::vector<std::byte>> lf_readFileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in.is_open())
        return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0)
        return std::nullopt;
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got != bytes.size())
    {
        if (!in.eof())
            return std::nullopt;
        bytes.resize(got);
    }
    return bytes;
}

bool lf_zipFolder(const fs::path& source, const fs::path& target)
{
    std::error_code ec;
    const fs::file_status sourceStatus = fs::status(source, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw fs::filesystem_error("status", source, ec);
    if (!fs::is_directory(sourceStatus))
    {
        gf_log(fmt::format("[zip] Not a directory: {}", gf_pathToUtf8(source)));
        return false;
    }
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const fs::path zipPath = fs::absolute(target);
    const fs::path sourcePath = fs::absolute(source);
    gf_log(fmt::format("[zip] Target file: {}", gf_pathToUtf8(zipPath)));
    gf_log(fmt::format("[zip] Source dir : {}", gf_pathToUtf8(sourcePath)));
    if (fs::exists(zipPath, ec))
    {
        gf_log(fmt::format("[zip] Removing old zip {}", gf_pathToUtf8(zipPath)));
        fs::remove(zipPath, ec);
    }
    std::optional<ZipArchive> archive = ZipArchive::createNew(zipPath);
    if (!archive)
    {
        gf_log("[zip] Could not open archive for writing");
        return false;
    }
    // The archive reads the bytes only when it is closed: keep them all.
    std::vector<std::vector<std::byte>> contents;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(sourcePath))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    contents.reserve(files.size());
    std::int64_t added = 0;
    for (const fs::path& file : files)
    {
        std::optional<std::vector<std::byte>> bytes = lf_readFileBytes(file);
        if (!bytes)
        {
            gf_log(fmt::format("[zip] READ FAIL: {}", gf_pathToUtf8(file)));
            continue;
        }
        const std::string name = gf_pathToUtf8(file.filename());
        gf_log(
            fmt::format("[zip] Adding (data) {} -> {} ({} bytes)", gf_pathToUtf8(file), name, bytes->size()));
        contents.push_back(std::move(*bytes));
        if (!archive->addData(name, contents.back()))
        {
            gf_log(fmt::format("[zip] ERROR addData({})", name));
            return lf_closeZip(*archive, zipPath, added);
        }
        ++added;
    }
    return lf_closeZip(*archive, zipPath, added);
}

} // namespace ovr
