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

// The download folder's address ending in "/", or empty when none is set.
std::string gf_downloadBase();

// Downloads `url` into `target`. The content goes to "<target>.part" first
// and replaces `target` only when the whole transfer succeeded, so a failed
// download (an HTTP error status, a dropped or stalled connection, a stop
// request) leaves an existing target as it was. Only http and https
// addresses are fetched. Failures are logged; the result says whether the
// target now holds the content.
bool gf_download(CURL* handle, std::string_view url, const std::filesystem::path& target, bool binary);

// Downloads the data component `fileName` of this program version
// ("{base}{major}/{fileName}") into `target`, with a handle of its own.
bool gf_downloadFile(const std::filesystem::path& fileName, const std::filesystem::path& target);

} // namespace ovr
