// The number of static parked aircraft at the park airport and how long they
// have stood, for the window.
#pragma once

#include <cstddef>

namespace ovr
{

// The static aircraft that stand in the simulator (active, or on their way
// out). With the mean, their mean parked time in hours is also shown in the
// window, unless the fit passes are running.
std::size_t gf_countStaticAc(bool withMean);

} // namespace ovr
