// Where the live-traffic web API is and which licence the program logs in
// with. Both come from the environment once per process (VORA_RT_API_BASE,
// VORA_RT_LICENSE); the licence is only ever sent, never logged.
#pragma once

#include <string>

namespace ovr
{

// The address the "/v5/..." paths are joined to, without a trailing '/';
// the service's public HTTPS address unless VORA_RT_API_BASE names another.
std::string gf_rtApiBase();

// The licence sent with the login; empty when VORA_RT_LICENSE is not set.
std::string gf_rtLicence();

} // namespace ovr
