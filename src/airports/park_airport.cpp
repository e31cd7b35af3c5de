#include "airports/park_airport.h"

namespace ovr
{

Airport g_parkAirport;
std::string g_reservedStand;
std::mutex g_parkAirportsMutex;

} // namespace ovr
