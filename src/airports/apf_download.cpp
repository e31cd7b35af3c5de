#include <fmt/format.h>

#include "airports/apf_locate.h"
#include "core/download.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/path_exists.h"

namespace ovr
{

namespace
{

// An airport's parking file is XML of at most a few megabytes; it is fetched
// while the parking waits for it.
constexpr DownloadBudget kAirportFileBudget{std::uintmax_t{16} << 20, std::chrono::seconds(60)};

} // namespace

std::string gf_downloadAirportFile(std::string_view archiveName, const std::filesystem::path& localPath)
{
    const std::string url =
        fmt::format("{}{}/{}", gf_downloadBase(), g_simIs2020.load() != 0 ? "MSFS" : "MSFS2024", archiveName);
    const CurlHandle handle(curl_easy_init());
    if (gf_download(handle.get(), url, localPath, true, kAirportFileBudget))
        return {};
    // An earlier download's copy must not pass for this airport's file.
    if (gf_pathExists(localPath))
        std::filesystem::remove(localPath);
    std::string message = fmt::format("failed to download: '{}'", url);
    gf_log(message);
    return message;
}

} // namespace ovr
