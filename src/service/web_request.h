// One libcurl easy handle of the service client, with what a request on it
// must keep alive, and the frame every request follows: a fresh connection,
// a URL-form body, gzip or deflate accepted, the reply appended to a text.
//
// Every transfer gives up on a connection that does not come up within 15 s
// or a reply that delivers less than 1 byte per second for 30 s, and its
// progress callback aborts it once the owner's stop flag is set, so a stalled
// service never holds a reader (or the closing down waiting for it).
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <string>
#include <string_view>

namespace ovr
{

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
    // transfer when it is set. Throws std::runtime_error when an option
    // cannot be set; returns libcurl's result of the transfer.
    CURLcode post(std::string_view path, std::string body, std::string& reply, const std::atomic<bool>* stop);

    const std::string& prefix() const { return m_prefix; }

  private:
    CURL* m_handle = nullptr;
    std::string m_prefix;
    // libcurl does not copy POSTFIELDS: the body lives here until the next
    // request on this handle.
    std::string m_body;
};

// One form value percent-encoded: letters, digits and "-._~" stay as they
// are, so ordinary bodies read exactly as written.
std::string gf_formValue(std::string_view value);

} // namespace ovr
