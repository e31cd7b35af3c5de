// One libcurl easy handle of the service client, with what a request on it
// must keep alive, and the frame every request follows: a fresh connection,
// a URL-form body, gzip or deflate accepted, the reply appended to a text.
//
// Every transfer gives up on a connection that does not come up within 15 s,
// a reply that delivers less than 1 byte per second for 30 s, and any
// request that is not done within its deadline (20 s; a reply trickling in
// byte by byte passes the speed limit). Its progress callback aborts it once
// the owner's stop flag or the program's stop request is set, so a stalled
// service never holds a reader, the login (or the closing down waiting for
// them). A body that is not JSON is logged once with its HTTP status and
// first line.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

namespace ovr
{

inline constexpr std::chrono::milliseconds kRequestDeadline{20000};

class WebRequest
{
  public:
    // prefix names the handle in error texts ("trcurl_"). Throws
    // std::runtime_error "<prefix> curl_easy_init() failed".
    explicit WebRequest(std::string prefix);
    ~WebRequest();
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;

    // Replaces the handle by a new one (the old one is released).
    void renew();

    // Posts body to the API base plus path and collects the reply in
    // `reply`, which is emptied first. `stop` (may be null) aborts the
    // transfer when it is set, and then also when the program's stop is
    // requested; a transfer without one (the logout at closing down) relies
    // on its deadline. Throws std::runtime_error when an option cannot be
    // set; returns libcurl's result of the transfer.
    CURLcode post(std::string_view path, std::string body, std::string& reply, const std::atomic<bool>* stop,
                  std::chrono::milliseconds deadline = kRequestDeadline);

    const std::string& prefix() const { return m_prefix; }
    // The last transfer was ended by a stop, not by a fault: nothing to warn.
    bool stopped() const { return m_stopped.load(); }
    // The HTTP status of the last reply; 0 when none came.
    long httpStatus() const { return m_httpStatus; }

  private:
    CURL* m_handle = nullptr;
    std::string m_prefix;
    // libcurl does not copy POSTFIELDS: the body lives here until the next
    // request on this handle.
    std::string m_body;
    const std::atomic<bool>* m_stop = nullptr;
    std::atomic<bool> m_stopped{false};
    long m_httpStatus = 0;

    friend int lf_abortOnStop(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
};

// One form value percent-encoded: letters, digits and "-._~" stay as they
// are, so ordinary bodies read exactly as written.
std::string gf_formValue(std::string_view value);

// libcurl's progress callback of every request: aborts on a stop.
int lf_abortOnStop(void* request, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

} // namespace ovr
