#include "service/web_request.h"

#include "core/log.h"
#include "core/stop_request.h"
#include "core/text.h"
#include "service/reply_reader.h"
#include "service/service_address.h"
#include "service/web_request_detail.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace ovr
{

namespace
{

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr long kLowSpeedSeconds = 30;
std::atomic<std::int64_t> g_defaultDeadlineMs{0}; // 0: kRequestDeadline

std::size_t lf_writeCallback(char* data, std::size_t size, std::size_t count, void* target)
{
    return detail::lf_callbackwriter(data, size, count, static_cast<std::string*>(target));
}


CURL* lf_newHandle(const std::string& prefix)
{
    CURL* handle = curl_easy_init();
    if (handle == nullptr)
    {
        throw std::runtime_error(fmt::format("{} curl_easy_init() failed", prefix));
    }
    return handle;
}

void lf_check(CURLcode result, std::string_view format, const std::string& prefix)
{
    if (result != CURLE_OK)
    {
        throw std::runtime_error(fmt::format(fmt::runtime(format), prefix));
    }
}

// A reply that is no JSON (a proxy's error page, a server fault) is named
// with its HTTP status and first line; the caller's parse error alone would
// hide both.
void lf_logNonJsonReply(const std::string& prefix, std::string_view path, long status, const std::string& reply)
{
    const std::size_t start = reply.find_first_not_of(" \t\r\n");
    // An empty reply is the caller's to report.
    if (start == std::string::npos || reply[start] == '{' || reply[start] == '[')
    {
        return;
    }
    const std::string_view body(reply);
    const std::size_t end = body.find_first_of("\r\n", start);
    const std::string_view firstLine = body.substr(start, end == std::string_view::npos ? end : end - start);
    gf_logWarning(fmt::format("{}{} HTTP status {}, not JSON: {}", prefix, path, status, gf_shownText(firstLine)));
}

} // namespace

// libcurl calls this about once a second even while nothing arrives, so a
// stop request also ends a transfer that hangs.
int lf_abortOnStop(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* request = static_cast<WebRequest*>(data);
    if (request == nullptr || request->m_stop == nullptr)
    {
        return 0;
    }
    if (request->m_stop->load() || gf_stopRequested())
    {
        request->m_stopped.store(true);
        return 1;
    }
    return 0;
}

WebRequest::WebRequest(std::string prefix) : m_prefix(std::move(prefix))
{
    m_handle = lf_newHandle(m_prefix);
}

WebRequest::~WebRequest()
{
    curl_easy_cleanup(m_handle);
}

void WebRequest::renew()
{
    CURL* fresh = lf_newHandle(m_prefix);
    curl_easy_cleanup(m_handle);
    m_handle = fresh;
}

CURLcode WebRequest::post(std::string_view path, std::string body, std::string& reply,
                          const std::atomic<bool>* stop, std::chrono::milliseconds deadline)
{
    reply.clear();
    m_stop = stop;
    m_stopped.store(false);
    m_httpStatus = 0;
    if (m_handle == nullptr)
    {
        throw std::runtime_error(fmt::format("{} curl_easy_init() failed", m_prefix));
    }
    curl_easy_reset(m_handle);
    m_body = std::move(body);
    const std::string url = gf_rtApiBase() + std::string(path);

    lf_check(curl_easy_setopt(m_handle, CURLOPT_URL, url.c_str()), "{}: failed to set URL", m_prefix);
    lf_check(curl_easy_setopt(m_handle, CURLOPT_ACCEPT_ENCODING, "deflate,gzip"),
             "{} failed to set CURLOPT_ACCEPT_ENCODING", m_prefix);
    lf_check(curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, m_body.c_str()), "{}: failed to set POSTFIELDS",
             m_prefix);
    lf_check(curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(m_body.size())),
             "{}: failed to set POSTFIELDSIZE", m_prefix);
    lf_check(curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &lf_writeCallback),
             "{} failed to set CURLOPT_WRITEFUNCTION", m_prefix);
    lf_check(curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, &reply), "{} failed to set CURLOPT_WRITEDATA",
             m_prefix);
    curl_easy_setopt(m_handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(m_handle, CURLOPT_FRESH_CONNECT, 1L);

    curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
    curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    curl_easy_setopt(m_handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFOFUNCTION, &lf_abortOnStop);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, this);
    std::int64_t deadlineMs = deadline.count();
    if (deadline == kRequestDeadline && g_defaultDeadlineMs.load() > 0)
        deadlineMs = g_defaultDeadlineMs.load();
    curl_easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<std::int64_t>(deadlineMs, 1)));

    const CURLcode result = curl_easy_perform(m_handle);
    // The reply text may move or die after this call; the handle must not
    // keep pointing at it.
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, nullptr);
    if (result == CURLE_OK)
    {
        curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &m_httpStatus);
        lf_logNonJsonReply(m_prefix, path, m_httpStatus, reply);
    }
    return result;
}

std::string gf_formValue(std::string_view value)
{
    // A length of 0 would make libcurl measure the text with strlen.
    if (value.empty())
    {
        return {};
    }
    // The handle argument is not used by libcurl (since 7.82).
    char* escaped = curl_easy_escape(nullptr, value.data(), gsl::narrow<int>(value.size()));
    if (escaped == nullptr)
    {
        throw std::runtime_error("curl_easy_escape failed");
    }
    std::string out(escaped);
    curl_free(escaped);
    return out;
}

namespace detail
{

void setRequestDeadline(std::chrono::milliseconds deadline)
{
    g_defaultDeadlineMs.store(deadline.count());
}

std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, std::string* target)
{
    if (target == nullptr)
    {
        return 0;
    }
    const std::size_t bytes = size * count;
    try
    {
        // Room after the text lets the reply reader parse it where it lies
        // instead of copying it; reserve keeps the growth geometric.
        if (target->capacity() - target->size() < bytes + kReplyPadding)
            target->reserve(target->size() + bytes + kReplyPadding);
        target->append(data, bytes);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: append exception: {}", "lf_callbackwriter", e.what()));
        return 0;
    }
    return bytes;
}

} // namespace detail

} // namespace ovr
