// The Traffic Reader: the thread that fetches the air traffic around the user
// from the web API for the whole session (five buffered snapshots of the
// recent past first, then the current traffic once per request interval),
// decodes each aircraft into a TrafficRecord and hands the batches to the
// main loop. Between two live requests it serves the parked-traffic requests
// of other threads.
#pragma once

#include <thread>

#include "core/geometry.h"
#include "core/shared_value.h"
#include "service/parked_traffic_record.h"
#include "service/reply_reader.h"
#include "service/rt_connection.h"
#include "service/traffic_record.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace ovr
{

struct QueryBox
{
    double top = 0.0; // degrees
    double bottom = 0.0;
    double left = 0.0;
    double right = 0.0;
    friend bool operator==(const QueryBox&, const QueryBox&) = default;
};

inline constexpr QueryBox kStartQueryBox{52.44, 52.17, 4.54, 4.98};

// The callsigns and transponder ids seen while collecting was on.
struct CollectedIdentities
{
    std::unordered_set<std::string> callsigns;
    std::unordered_set<std::uint32_t> ids;
};

// A parked-traffic answer as the Traffic Reader publishes it for the request
// with that sequence number.
struct ParkedAnswer
{
    std::uint64_t sequence = 0;
    std::int32_t status = 0;
    std::vector<ParkedTrafficRecord> records;
};

class TrafficReader : public RtConnection
{
  public:
    TrafficReader();

    // The live request loop; false when it ended, with status 9999 after a
    // stop request, else the service status that ended it.
    bool receive(std::int32_t& status);
    // The buffered request; true when its reply held a non-empty "data".
    bool buffer(std::int32_t& status);
    // The form body of a traffic request around liveBox.
    std::string trafficRequestBody(bool buffered) const;
    // The work of one reply, apart from its request: the buffered reply's
    // snapshots decoded and handed over oldest first (true when its "data"
    // was not empty; a refusal sets status); a live reply decoded and handed
    // over, returning the reply's status (200 when it was taken). A reply
    // that is no JSON throws.
    bool takeBufferedReply(const std::string& reply, std::int32_t& status);
    std::int32_t takeLiveReply(const std::string& reply);
    // takeLiveReply short of the hand-over: the records stay in liveRecords.
    std::int32_t decodeLiveReply(const std::string& reply);
    // The logout, on the start-up thread after both loops ended.
    void deauthenticate();
    // The parked-traffic request taken from parkedRequest.
    void parkedtraffic();
    // The form body of the latest parked-traffic request, with its number.
    std::string parkedRequestBody(std::uint64_t& sequence);
    // The work of a parked reply apart from its request: decoded into
    // parkedBatch, returning 0 when it was taken (a 406 counts as an empty
    // answer), 1 when it was unusable, else the service's status.
    std::int32_t decodeParkedReply(const std::string& reply);
    // Publishes parkedBatch (when the status is 0) as the answer to request
    // `sequence`.
    void publishParked(std::uint64_t sequence, std::int32_t status);
    // A reply to request `sequence` fetched by other means, decoded and
    // published as parkedtraffic() would.
    void takeParkedReply(const std::string& reply, std::uint64_t sequence);
    // Decodes the aircraft arrays of a reply container (as ReplyReader
    // keeps them) into liveRecords.
    void decodeAircraft(const std::vector<LiveArray>& arrays);
    // Decodes one live aircraft array into liveRecords.
    void processLine(const LiveArray& array);
    // Decodes `value`, the member `key` of a parked reply, into
    // parkedBatch.
    void processParkedTrafficLine(const std::string& key, const ParkedArray& value);
    // Ends a collection: clears `collecting` and takes both sets, under the
    // lock the decoder inserts under.
    CollectedIdentities takeCollected();
    // Stamps and passes on liveRecords (offset in seconds); the live count
    // becomes the batch's size.
    void handOver(std::int32_t offset);

    // The prepared result of the last parked-traffic request (main loop).
    std::vector<ParkedTrafficRecord> parkedRecords;
    // Last traffic state shown; main loop only. It starts as a restart
    // leaves it, so that the first session's indicator turns to waiting too
    // when nothing arrives.
    bool indicatorOn = true;
    // Written by the main loop, read when a request is formatted.
    SharedValue<QueryBox> liveBox{kStartQueryBox};
    WebRequest trafficCurl{"trcurl_"};
    WebRequest parkedCurl{"ptcurl_"};
    std::string dataReply;
    // Reads every reply of this reader; reader thread only.
    ReplyReader replies;
    std::vector<TrafficRecord> liveRecords;
    // Filled while `collecting` is set, under collectedMutex.
    std::unordered_set<std::string> seenCallsigns;
    std::unordered_set<std::uint32_t> seenIds;
    std::mutex collectedMutex;
    // The user position of the range filter; the main loop writes it.
    SharedValue<LatLon> refPos;
    // The user position and range of the last box computation, under
    // boxMutex (the main loop and the automatic range both recompute).
    LatLon boxCentre;
    double boxRadius = -1.0;
    std::mutex boxMutex;
    // Data time of the latest received traffic, epoch seconds.
    std::atomic<double> dataTime{0.0};
    // Elevation of the park airport (feet) for the altitude filter.
    SharedValue<std::optional<double>> parkElevation;
    std::atomic<std::int32_t> readerQnh{1013};
    std::atomic<std::int64_t> liveCount{0};
    // -1 pending, 0 done, 1 failed, else the service's status.
    std::atomic<std::int32_t> parkedStatus{0};
    std::atomic<bool> collecting{false};
    std::atomic<bool> parkedRequest{false};
    // The service refused parked traffic to this account (403): nobody asks
    // again until the next session.
    std::atomic<bool> parkedRefused{false};
    std::atomic<bool> receiving{false};
    // Reader thread only (and the reset while it does not run).
    bool blockNoticeArmed = true;

    // The parked-request exchange: a caller numbers its request and states
    // its box; the reader copies both when it takes the request and
    // publishes its answer under the same number. A caller only accepts the
    // answer to its own number, so a late answer never lands in a later
    // request.
    std::mutex parkedMutex;
    std::uint64_t parkedSequence = 0; // of the latest request
    QueryBox parkedBox = kStartQueryBox;
    ParkedAnswer parkedAnswer;
    // Reader thread only: the records of the parked reply being decoded.
    std::vector<ParkedTrafficRecord> parkedBatch;
};

extern TrafficReader g_trafficReader;

// Thread body; the session start runs it on a detached thread.
void gf_trafficReader();
// Sets the reference position, then starts gf_trafficReader on a new thread:
// the first reply (the buffered records) can come at once, and every record
// is checked against the reference.
std::thread gf_startTrafficReader(LatLon reference);

// Recomputes liveBox when the user has moved or the range changed.
void gf_updateTrafficBox();

} // namespace ovr
