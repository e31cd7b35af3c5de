// The file downloader of the download service (data components, airport
// files, version information, program packages).
//
// The service's address comes from VORA_DOWNLOAD_BASE, read once: the
// address of its "/downloads/" folder, e.g. https://example.org/downloads/
// (a missing final "/" is added). Without it every download fails at once
// with a log line saying that the service is not configured; no request is
// sent anywhere.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace ovr
{

struct CurlEasyCleanup
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
// One libcurl easy handle, kept by one thread for one or several downloads.
using CurlHandle = std::unique_ptr<CURL, CurlEasyCleanup>;

// What one download may take: a size that fits what it fetches and a time
// in all, so that a server that sends a wrong page or trickles its bytes
// cannot fill the disk or hold the caller for ever.
struct DownloadBudget
{
    std::uintmax_t maxBytes;
    std::chrono::seconds deadline;
};

// An encrypted data file (airports.enc, AIG-regcodes.enc, dbase.enc): a few
// megabytes.
inline constexpr DownloadBudget kDataFileBudget{std::uintmax_t{64} << 20, std::chrono::seconds(90)};

// The download folder's address ending in "/", or empty when none is set.
std::string gf_downloadBase();

// Downloads `url` into `target`. The content goes to "<target>.part" first
// and replaces `target` only when the whole transfer succeeded, so a failed
// download (an HTTP error status, a dropped or stalled connection, more bytes
// or more time than the budget gives, a stop request) leaves an existing
// target as it was. Only http and https addresses are fetched. Failures are
// logged; the result says whether the target now holds the content.
bool gf_download(CURL* handle, std::string_view url, const std::filesystem::path& target, bool binary,
                 const DownloadBudget& budget);

// Downloads the data component `fileName` of this program version
// ("{base}{major}/{fileName}") into `target`, with a handle of its own and
// the budget of a data file.
bool gf_downloadFile(const std::filesystem::path& fileName, const std::filesystem::path& target);

} // namespace ovr
