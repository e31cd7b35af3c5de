// The park limit: how many aircraft may stand parked at the park airport at
// once (static and live together), from the share of its stands the user
// wants filled and the MAX_PARK_SEL cap. Main-loop thread.
#pragma once

#include <cstdint>

namespace ovr
{

// min(MAX_PARK_SEL, the wanted share of the park airport's stands); 0 when
// MAX_PARK_SEL is 0 or less. The window's wanted figures follow the result.
// Throws gsl::narrowing_error when the share does not fit an int.
std::int32_t gf_wantedParking();

} // namespace ovr
