#include "service/web_request.h"

#include "core/log.h"
#include "service/service_address.h"
#include "service/web_request_detail.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <stdexcept>

namespace ovr
{

namespace
{

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr long kLowSpeedSeconds = 30;

std::size_t lf_writeCallback(char* data, std::size_t size, std::size_t count, void* target)
{
    return detail::lf_callbackwriter(data, size, count, static_cast<std::string*>(target));
}

// libcurl calls this about once a second even while nothing arrives, so a
// stop request also ends a transfer that hangs.
int lf_abortOnStop(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return stop != nullptr && static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
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

} // namespace

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
                          const std::atomic<bool>* stop)
{
    reply.clear();
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
    curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(stop));

    const CURLcode result = curl_easy_perform(m_handle);
    // The reply text may move or die after this call; the handle must not
    // keep pointing at it.
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, nullptr);
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

std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, std::string* target)
{
    if (target == nullptr)
    {
        return 0;
    }
    const std::size_t bytes = size * count;
    try
    {
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
