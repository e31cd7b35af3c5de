// The session with the live-traffic web API: the login before the reader
// threads start, which yields the session id, the rate limits and the
// account's type and expiry, and the logout after both readers ended.
#pragma once

#include "core/shared_value.h"

#include <string>

namespace ovr
{

// The account line the main window paints ("professional" or "standard" and
// the days left).
extern SharedValue<std::string> g_accountText;

// The login as the session start calls it, on the start-up thread. Throws
// UserErrorException 402, 404 or 405 (after 10 s on the status line) or
// std::runtime_error "No RT database connection" (status 500). Any other
// failure ends the session with "READER ERROR" and a restart.
void gf_authenticater();

} // namespace ovr
