// The hand-over of received traffic from the Traffic Reader to the main loop.
// Each record gets the moment at which the simulator is to show it: a fixed
// offset ahead of now on g_clock, spread by its data time around the batch's
// median. The buffered batches of the first request go straight to the
// traffic logic (through the taker) before the main loop runs; every live batch waits in one
// hand-over vector until the main loop has used up the previous one.
#pragma once

#include "service/traffic_record.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace ovr
{

// The batch waiting for the main loop, taken from its end two records per
// pass; guarded by g_trafficMutex.
extern std::vector<TrafficRecord> g_trafficHandover;
// Guards g_trafficHandover and g_running.
extern std::mutex g_trafficMutex;
// The session accepts received traffic; written under g_trafficMutex.
extern std::uint8_t g_running;

// The play offset of every live batch, seconds.
inline constexpr std::int32_t kLivePlayOffset = 30;

// Stamps the records of the batch and passes it on: with offset 30 (a live
// reply) into the hand-over vector when that is empty and the session runs,
// else dropped whole; with any other offset (a buffered snapshot) record by
// record to the taker on this thread. The batch is empty afterwards.
void gf_queueReceivedTraffic(std::vector<TrafficRecord>& batch, std::int32_t offset);

// Who takes the records of a buffered snapshot: the traffic logic's
// gf_takeReceivedAc, which is floors above; the program sets it at start,
// tests set their own. Unset, those records are dropped.
using ReceivedTaker = void (*)(const TrafficRecord&);
void gf_setReceivedTaker(ReceivedTaker taker);

} // namespace ovr
