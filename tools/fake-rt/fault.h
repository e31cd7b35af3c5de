// A scripted misbehaviour of the fake service for one endpoint: a refusal
// with a chosen status, a reply with fields left out or of the wrong type,
// a body that is not JSON at all (a proxy's HTML error page, nothing, half a
// document), a slow reply, a body that trickles in, a connection dropped
// before the body, or a gzip-compressed body.
//
// Faults of one path wait in a queue; a request takes the first one whose
// condition it meets, and the fault is used up after `times` requests.
#pragma once

#include "fake-rt/form_body.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ovr::fakert
{

struct Fault
{
    // The reply is {"status": status, "message": message} and the request
    // has no effect (no session opened or freed, no rate-limit stamp).
    std::optional<int> status{};
    std::optional<std::string> message{};
    // Members put into the JSON reply over the endpoint's own (e.g. "type"
    // as 2.0, "data" as an array), then members taken out of it.
    nlohmann::json set = nlohmann::json::object();
    std::vector<std::string> omit{};
    // "status" sent as a text.
    bool statusAsText = false;
    // Sent as the body instead of any JSON (an empty text: an empty body).
    std::optional<std::string> rawBody{};
    std::string contentType{}; // of a raw body; text/html when empty
    // The JSON reply cut off in the middle.
    bool invalidJson = false;
    // HTTP status line; 200 when 0.
    int httpStatus = 0;
    // Before the reply is sent; a stopping service cuts it short.
    std::chrono::milliseconds delay{0};
    // The headers go out, then the connection closes without the body.
    bool dropConnection = false;
    // The body goes out a few bytes at a time with this pause between.
    std::chrono::milliseconds trickle{0};
    // The body is gzip-compressed with Content-Encoding: gzip, whatever the
    // request accepts.
    bool gzip = false;
    // Requests it applies to; 0 or less: every matching request until the
    // faults are cleared.
    int times = 1;
    // Only requests whose fields it accepts; all when empty.
    std::function<bool(const FormFields&)> when{};
};

// A fault with the endpoint it is for, as a scenario file or the command
// line gives it.
struct PathFault
{
    std::string path;
    Fault fault;
};

// Conditions for faults on /v5/traffic, which carries three kinds of request.
bool isLiveTrafficRequest(const FormFields& fields);
bool isBufferedTrafficRequest(const FormFields& fields);
bool isParkedTrafficRequest(const FormFields& fields);

// What a proxy sends when the service behind it does not answer in time.
std::string gatewayTimeoutPage();

} // namespace ovr::fakert
