// Scripted faults written down: as a JSON object in a scenario file's
// "faults" list, or as a short text on the fake-rt command line. Both name
// the same things:
//
//   path            auth, deauth, traffic, nearestmetar, weather (or the
//                   endpoint's path, "/v5/traffic")
//   when            live, buffered or parked: only that kind of traffic
//                   request
//   status, message a refusal with this "status" (and "message")
//   http            the HTTP status line (200 when not given)
//   delay_ms        a stall before the reply is sent
//   trickle_ms      the body sent a few bytes at a time, this pause between
//   drop            the headers, then the connection closes
//   garbage         the JSON reply cut off in the middle
//   html            a proxy's "504 Gateway Timeout" page (HTTP 504 unless
//                   http says otherwise)
//   raw             this text as the body instead of any JSON ("" empty)
//   gzip            the body gzip-compressed whatever the request accepts
//   omit            reply members left out (a list; "status" for a reply
//                   without its status)
//   set             reply members put in over the endpoint's own (an object)
//   status_as_text  "status" sent as a text
//   times           requests it applies to (default 1; 0 or less: all)
//
// On the command line: PATH:KEY=VALUE,KEY=VALUE,FLAG, e.g.
// "traffic:when=live,status=500,times=3", "weather:html",
// "traffic:omit=status", "auth:delay_ms=8000". omit takes names joined by
// '+'; set is not offered there.
#pragma once

#include "fake-rt/fault.h"

#include <nlohmann/json.hpp>

#include <string_view>

namespace ovr::fakert
{

// Throw std::runtime_error naming what is wrong.
PathFault faultFromJson(const nlohmann::json& j);
PathFault faultFromSpec(std::string_view spec);

} // namespace ovr::fakert
