// The registration table searched under every plausible spelling of a
// registration: received registrations come with or without the dash after
// the nationality prefix (DAIBC or D-AIBC).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/flight_key.h"

namespace ovr
{

// The spellings to try, in order: for a text of 5 or more characters that
// does not begin with N and holds no dash, the dash after two characters,
// after one, and the text itself (DAIBC gives DA-IBC, D-AIBC, DAIBC);
// otherwise the text alone.
std::vector<std::string> gf_registrationVariants(std::string_view registration);

// The key of the registration record of the first spelling found; no value
// for the empty text or when no spelling is in the table.
std::optional<FlightKey> gf_findRegistrationKey(std::string_view registration);

// The names under which the traffic and airport code asks for these.
inline std::vector<std::string> gf_nameVariants(std::string_view registration)
{
    return gf_registrationVariants(registration);
}
inline std::optional<FlightKey> gf_cachedNameVariants(std::string_view registration)
{
    return gf_findRegistrationKey(registration);
}

} // namespace ovr
