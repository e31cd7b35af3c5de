// Placeholder until the live-aircraft logic exists: the records are taken and
// forgotten.
#include "traffic/received_traffic.h"

namespace ovr
{

void gf_takeReceivedAc(const TrafficRecord&) {}

} // namespace ovr
