#include "airports/closest_stand_at_destination.h"

namespace ovr {

// Until airport parking files can be located and read, no airport has one.
double gf_readDestApfForClosestStand(const IcaoCode&, double, double, std::string& standName)
{
    standName.clear();
    return 100.0;
}

} // namespace ovr
