// A plain libcurl POST for the fake service's tests, with what a test wants
// to see of the answer: the transfer result, the HTTP status, the body and
// its Content-Encoding.
#pragma once

#include <curl/curl.h>

#include <string>

namespace ovr::fakert::test
{

struct HttpReply
{
    CURLcode code = CURLE_OK;
    long httpStatus = 0;
    std::string body;
    std::string contentEncoding;
};

// acceptGzip: let libcurl ask for gzip and decode it, as the program does;
// otherwise the body arrives as the server sent it.
HttpReply httpPost(const std::string& url, const std::string& body, bool acceptGzip = true);

} // namespace ovr::fakert::test
