#include "core/download.h"

#include "core/download_detail.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>

namespace ovr
{

namespace
{

std::mutex g_downloadSettingsMutex;
detail::DownloadLimits g_limits;

std::string lf_normaliseBase(std::string base)
{
    if (!base.empty() && base.back() != '/')
    {
        base += '/';
    }
    return base;
}

std::string& lf_base()
{
    static std::string base = []
    {
        const char* env = std::getenv("VORA_DOWNLOAD_BASE");
        return lf_normaliseBase(env != nullptr ? env : "");
    }();
    return base;
}

bool lf_startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i)
    {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i])
        {
            return false;
        }
    }
    return true;
}

// Where the received bytes go, and how many more the budget allows.
struct Sink
{
    std::FILE* file = nullptr;
    std::uintmax_t written = 0;
    std::uintmax_t maxBytes = 0;
    bool tooLarge = false;
};

// Refusing the bytes past the cap ends the transfer with a write error;
// a server that sends no Content-Length is caught here too.
std::size_t lf_writeToFile(char* data, std::size_t size, std::size_t count, void* userData)
{
    Sink& sink = *static_cast<Sink*>(userData);
    const std::uintmax_t bytes = std::uintmax_t{size} * count;
    if (bytes > sink.maxBytes - sink.written)
    {
        sink.tooLarge = true;
        return 0;
    }
    const std::size_t done = std::fwrite(data, size, count, sink.file);
    sink.written += std::uintmax_t{done} * size;
    return done;
}

// libcurl calls this about once a second even while no data flows, so a
// stop request ends a stalled transfer too.
int lf_abortOnStop(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return g_stop.load() != 0 || g_userClosed.load() != 0 ? 1 : 0;
}

void lf_removePart(const std::filesystem::path& part)
{
    std::error_code ec;
    std::filesystem::remove(part, ec);
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::string gf_downloadBase()
{
    const std::scoped_lock lock(g_downloadSettingsMutex);
    return lf_base();
}

bool gf_download(CURL* handle, std::string_view url, const std::filesystem::path& target, bool binary,
                 const DownloadBudget& budget)
{
    if (handle == nullptr)
    {
        return false;
    }
    std::filesystem::path part = target;
    part += ".part";
    const std::string urlText(url);
    try
    {
        // Anything else (a relative address built from an unset base, file://)
        // would reach the wrong place: refuse before libcurl guesses a scheme.
        if (!lf_startsWithNoCase(url, "http://") && !lf_startsWithNoCase(url, "https://"))
        {
            const char* why = gf_downloadBase().empty()
                                  ? "download service not configured (VORA_DOWNLOAD_BASE)"
                                  : "not an http or https address";
            gf_log(fmt::format("Download error: '{}' for {}", why, urlText));
            return false;
        }
        std::unique_ptr<std::FILE, FileCloser> file(gf_openFile(part, binary ? "wb" : "w"));
        if (!file)
        {
            gf_log(fmt::format("Could not open output file: {}", target.string()));
            return false;
        }
        const detail::DownloadLimits limits = detail::gf_downloadLimits();
        const auto deadline = std::min<std::chrono::milliseconds>(budget.deadline, limits.deadlineCeiling);
        Sink sink{.file = file.get(), .maxBytes = budget.maxBytes};
        curl_easy_setopt(handle, CURLOPT_URL, urlText.c_str());
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_USERAGENT, "Vora");
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &lf_writeToFile);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(deadline.count()));
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(std::min<std::uintmax_t>(budget.maxBytes, INT64_MAX)));
        curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeout.count()));
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.lowSpeedTime.count()));
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &lf_abortOnStop);
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);

        const CURLcode result = curl_easy_perform(handle);
        // The handle must not keep a pointer to the file past this call.
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
        const bool closed = std::fclose(file.release()) == 0;
        if (result != CURLE_OK || !closed)
        {
            const std::string why = sink.tooLarge || result == CURLE_FILESIZE_EXCEEDED
                                        ? fmt::format("larger than {} bytes", budget.maxBytes)
                                    : result != CURLE_OK
                                        ? std::string(curl_easy_strerror(result))
                                        : std::string("Failed writing received data to disk");
            gf_log(fmt::format("Download error: '{}' for {}", why, urlText));
            lf_removePart(part);
            return false;
        }
        std::filesystem::rename(part, target);
        return true;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("Downloader exception: '{}', {} => {}", e.what(), urlText, target.string()));
    }
    lf_removePart(part);
    return false;
}

bool gf_downloadFile(const std::filesystem::path& fileName, const std::filesystem::path& target)
{
    CurlHandle handle(curl_easy_init());
    const std::string url = fmt::format("{}{}/{}", gf_downloadBase(), g_version.major, fileName.string());
    const bool ok = gf_download(handle.get(), url, target, true, kDataFileBudget);
    if (ok)
    {
        gf_log(fmt::format("Downloaded '{}' to '{}'", url, target.string()));
    }
    else
    {
        gf_logWarning(fmt::format("Downloading '{}' failed !", url));
    }
    return ok;
}

namespace detail
{

DownloadLimits gf_downloadLimits()
{
    const std::scoped_lock lock(g_downloadSettingsMutex);
    return g_limits;
}

void gf_setDownloadLimits(DownloadLimits limits)
{
    const std::scoped_lock lock(g_downloadSettingsMutex);
    g_limits = limits;
}

void gf_setDownloadBase(std::string base)
{
    const std::scoped_lock lock(g_downloadSettingsMutex);
    lf_base() = lf_normaliseBase(std::move(base));
}

} // namespace detail

} // namespace ovr
