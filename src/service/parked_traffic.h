// The parked traffic around the park airport, asked for by the parking logic
// and sent by the Traffic Reader between two of its live requests: the
// caller states its request, the reader answers it, and the caller ages,
// filters, sorts and de-duplicates the records.
#pragma once

namespace ovr
{

// Blocks the calling thread for up to about 10 s. True when the Traffic
// Reader's parkedRecords holds the prepared result (possibly no records).
// Throws std::runtime_error for the statuses 400 and 403.
bool gf_getParkedTraffic();

} // namespace ovr
