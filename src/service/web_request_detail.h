// The libcurl write callback, reached by tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace ovr::detail
{

// Appends size x count bytes to the target and returns that count; 0 for a
// null target or when the text cannot grow (libcurl then ends the transfer
// with a write error). The text keeps kReplyPadding bytes of capacity
// after its end.
std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, std::string* target);

// Replaces the default deadline of a request (kRequestDeadline), so tests
// see it pass quickly; 0 puts the default back.
void setRequestDeadline(std::chrono::milliseconds deadline);

} // namespace ovr::detail
