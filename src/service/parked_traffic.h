// The parked traffic around the park airport, asked for by the parking logic
// and sent by the Traffic Reader between two of its live requests: the
// caller states its request, the reader answers it, and the caller ages,
// filters, sorts and de-duplicates the records.
//
// The main loop never waits for it. The static-parking calculation and the
// 20-minute adjustment arm a numbered request when their work becomes due
// (gf_armParkedTraffic) and, on a later parking pass, take its answer
// (gf_takeParkedTraffic): while it is pending they leave their work for the
// next pass; once answered, parkedRecords holds the prepared records. Both
// throw for the statuses 400 and 403; the parking logic catches them, logs
// them and goes on as if no parked traffic had been reported.
#pragma once

#include <cstdint>

namespace ovr
{

// Blocks the calling thread for up to about 10 s. True when the Traffic
// Reader's parkedRecords holds the prepared result (possibly no records).
// Throws std::runtime_error for the statuses 400 and 403. After a 403 it
// asks no more this session and returns false.
bool gf_getParkedTraffic();

// Arms a parked-traffic request for the park airport and returns its number,
// or 0 when the service refused parked traffic earlier in this session (a
// 403): that account will not get any.
std::uint64_t gf_armParkedTraffic();

enum class ParkedTake : std::uint8_t
{
    pending,  // not answered yet: ask again on a later pass
    answered, // g_trafficReader.parkedRecords holds the prepared records
    none,     // no records will come (no request, failed, timed out, or
              // taken over by a later request); the failure is logged
};

// The answer to request `sequence` (from gf_armParkedTraffic) if it has
// come; never waits. Throws std::runtime_error for the statuses 400 and 403
// (a 403 also ends the asking for this session).
ParkedTake gf_takeParkedTraffic(std::uint64_t sequence);

} // namespace ovr
