#include "core/library_init.h"

#include <mutex>
#include <stdexcept>

#include <curl/curl.h>
#include <fmt/format.h>
#include <sodium.h>

namespace ovr
{

void gf_initLibraries()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       if (sodium_init() < 0)
                           throw std::runtime_error("sodium_init failed");
                       CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT);
                       if (code != CURLE_OK)
                           throw std::runtime_error(
                               fmt::format("curl_global_init failed: {}", curl_easy_strerror(code)));
                   });
}

} // namespace ovr
