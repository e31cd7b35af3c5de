#include "service/parked_traffic.h"

#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/text.h"
#include "core/parameters.h"
#include "core/time.h"
#include "service/parked_traffic_detail.h"
#include "service/reader_snapshots.h"
#include "service/reply_fields.h"
#include "service/traffic_reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <unordered_set>

namespace ovr
{

namespace
{

using namespace std::chrono_literals;

// 3 NM north and south: 3 x 1.852 / 111.2 degrees; east and west: 3 NM in feet.
constexpr double kParkedBoxHalfHeightDeg = 0.04996402877697842;
constexpr double kParkedBoxHalfWidthFt = 18228.34647;
constexpr auto kPollInterval = 100ms;
constexpr auto kAnswerTimeout = 10s;
// The reader serves a parked request between two live requests, and either
// may take up to the service deadline of 20 s.
constexpr std::chrono::seconds kCollectTimeout{45};

constexpr std::int32_t kPending = -1;
constexpr std::int32_t kAnswered = 0;
constexpr std::int32_t kFailed = 1;

QueryBox lf_parkedBox(const Airport& airport)
{
    const LatLon centre{airport.latitude, airport.longitude};
    return QueryBox{airport.latitude + kParkedBoxHalfHeightDeg, airport.latitude - kParkedBoxHalfHeightDeg,
                    gf_destinationPoint(centre, -kPi / 2.0, kParkedBoxHalfWidthFt).lon,
                    gf_destinationPoint(centre, kPi / 2.0, kParkedBoxHalfWidthFt).lon};
}

std::string lf_body(const std::string& guid, const QueryBox& box, std::int32_t toffset)
{
    return fmt::format(
        "GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=parkedtraffic&toffset={}",
        gf_formValue(guid), box.top, box.bottom, box.left, box.right, toffset);
}

// The answer to request `sequence` once the reader has published it. An
// answer to a later request means this one was taken over by it and will
// never be answered.
std::optional<ParkedAnswer> lf_takeAnswer(TrafficReader& reader, std::uint64_t sequence, bool& superseded)
{
    const std::scoped_lock lock(reader.parkedMutex);
    superseded = reader.parkedAnswer.sequence > sequence;
    if (reader.parkedAnswer.sequence != sequence)
    {
        return std::nullopt;
    }
    ParkedAnswer answer{sequence, reader.parkedAnswer.status, std::move(reader.parkedAnswer.records)};
    reader.parkedAnswer.records.clear();
    return answer;
}

} // namespace

namespace detail
{

void prepareParkedRecords(std::vector<ParkedTrafficRecord>& records, std::int32_t slot, std::int32_t maxFit,
                          bool parkedOnly)
{
    for (ParkedTrafficRecord& r : records)
    {
        std::int32_t age = slot - r.slot;
        if (age < 0)
        {
            age += 48;
        }
        r.slot = age;
    }
    if (!parkedOnly)
    {
        std::erase_if(records, [maxFit](const ParkedTrafficRecord& r) { return r.slot > maxFit; });
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const ParkedTrafficRecord& a, const ParkedTrafficRecord& b)
                     { return a.slot < b.slot; });
    std::unordered_set<std::string> stands;
    std::unordered_set<std::string> callsigns;
    std::erase_if(records,
                  [&](const ParkedTrafficRecord& r)
                  {
                      if (stands.contains(r.standName) ||
                          (!r.callsign.empty() && callsigns.contains(r.callsign)))
                      {
                          return true;
                      }
                      stands.insert(r.standName);
                      if (!r.callsign.empty())
                      {
                          callsigns.insert(r.callsign);
                      }
                      return false;
                  });
}

} // namespace detail

namespace
{

// Turns an answer into the prepared parkedRecords: true when records (maybe
// none) were taken; false for a failure that is only logged.
bool lf_useAnswer(TrafficReader& reader, ParkedAnswer& answer)
{
    if (answer.status <= kAnswered)
    {
        detail::prepareParkedRecords(answer.records, gf_halfHourSlot(), MAX_FIT.current.load(),
                                     RT_PARKTRAFFIC_ONLY.current.load());
        const std::scoped_lock lock(reader.parkedMutex);
        reader.parkedRecords = std::move(answer.records);
        return true;
    }
    switch (answer.status)
    {
    case kFailed:
        return false;
    case 400:
        throw std::runtime_error("RT API parameter fault");
    case 403:
        // The account has no parked traffic; asking again at every park
        // airport would only be refused again.
        reader.parkedRefused.store(true);
        throw std::runtime_error("RT API: no parked traffic for this kind of account");
    case 401:
        gf_logWarning(
            fmt::format("RT Parkedtraffic: re-authentication to RT API is needed {}", g_programShortName));
        return false;
    default:
        gf_logWarning(fmt::format("RT Parkedtraffic error status: {}", answer.status));
        return false;
    }
}

// When the latest request was armed, on the loop clock; under parkedMutex.
LoopClock::TimePoint g_parkedArmedAt{};

} // namespace

bool gf_getParkedTraffic()
{
    TrafficReader& reader = g_trafficReader;
    if (reader.parkedRefused.load())
    {
        return false;
    }
    const ParkSite park = gf_parkSiteSnapshot();
    std::uint64_t sequence = 0;
    {
        const std::scoped_lock lock(reader.parkedMutex);
        sequence = ++reader.parkedSequence;
        reader.parkedBox = lf_parkedBox(park.airport);
    }
    reader.parkedStatus.exchange(kPending);
    reader.parkedRequest.exchange(true);

    std::this_thread::sleep_for(kPollInterval);
    const auto t0 = std::chrono::steady_clock::now();
    bool superseded = false;
    std::optional<ParkedAnswer> answer = lf_takeAnswer(reader, sequence, superseded);
    while (!answer)
    {
        if (superseded)
        {
            gf_log("ParkedTraffic request was taken over by a later one");
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
        if (std::chrono::steady_clock::now() - t0 > kAnswerTimeout)
        {
            gf_log("ParkedTraffic receiving timed out after 10 seconds");
            return false;
        }
        answer = lf_takeAnswer(reader, sequence, superseded);
    }
    return lf_useAnswer(reader, *answer);
}

std::uint64_t gf_armParkedTraffic()
{
    TrafficReader& reader = g_trafficReader;
    if (reader.parkedRefused.load())
    {
        return 0;
    }
    const ParkSite park = gf_parkSiteSnapshot();
    std::uint64_t sequence = 0;
    {
        const std::scoped_lock lock(reader.parkedMutex);
        sequence = ++reader.parkedSequence;
        reader.parkedBox = lf_parkedBox(park.airport);
        g_parkedArmedAt = gf_loopClock().now();
    }
    reader.parkedStatus.exchange(kPending);
    reader.parkedRequest.exchange(true);
    return sequence;
}

ParkedTake gf_takeParkedTraffic(std::uint64_t sequence)
{
    if (sequence == 0)
    {
        return ParkedTake::none;
    }
    TrafficReader& reader = g_trafficReader;
    bool superseded = false;
    std::optional<ParkedAnswer> answer = lf_takeAnswer(reader, sequence, superseded);
    if (answer)
    {
        return lf_useAnswer(reader, *answer) ? ParkedTake::answered : ParkedTake::none;
    }
    if (superseded)
    {
        gf_log("ParkedTraffic request was taken over by a later one");
        return ParkedTake::none;
    }
    LoopClock::TimePoint armedAt;
    {
        const std::scoped_lock lock(reader.parkedMutex);
        armedAt = g_parkedArmedAt;
    }
    if (gf_loopClock().now() - armedAt > kCollectTimeout)
    {
        gf_log(fmt::format("ParkedTraffic receiving timed out after {} seconds", kCollectTimeout.count()));
        return ParkedTake::none;
    }
    return ParkedTake::pending;
}

std::string TrafficReader::parkedRequestBody(std::uint64_t& sequence)
{
    QueryBox box;
    {
        // The number and the box of one request, never of two.
        const std::scoped_lock lock(parkedMutex);
        sequence = parkedSequence;
        box = parkedBox;
    }
    return lf_body(guid, box, toffset.load());
}

std::int32_t TrafficReader::decodeParkedReply(const std::string& reply)
{
    parkedBatch.clear();
    if (reply.empty())
    {
        gf_logWarning("parkedtraffic: empty content");
        return kFailed;
    }
    const ParkedReply* parsed = nullptr;
    try
    {
        parsed = &replies.parked(reply);
    }
    catch (const ReplyNotJson&)
    {
        gf_logWarning(fmt::format("parkedtraffic invalid JSON:\n{}\n", gf_replyHead(reply)));
        return kFailed;
    }
    gf_requireObject(parsed->kind);
    const std::int32_t replyStatus = gf_replyInt(parsed->status, "status", 100);
    if (replyStatus == 406)
    {
        gf_logWarning(fmt::format("parkedtraffic msg: {}", gf_shownText(gf_replyText(parsed->message, "message"))));
        return kAnswered;
    }
    if (replyStatus != 200)
    {
        return replyStatus;
    }
    takeRateLimit(rrl, gf_replyInt(parsed->rrl, "rrl", kDefaultRateLimitMs), "rrl");
    if (!parsed->data.empty())
    {
        for (const ParkedMember& member : parsed->members)
        {
            processParkedTrafficLine(member.name, member.value);
        }
    }
    return kAnswered;
}

void TrafficReader::publishParked(std::uint64_t sequence, std::int32_t status)
{
    // The records are complete before the status says so.
    {
        const std::scoped_lock lock(parkedMutex);
        parkedAnswer =
            ParkedAnswer{sequence, status,
                         status == kAnswered ? std::move(parkedBatch) : std::vector<ParkedTrafficRecord>{}};
    }
    parkedBatch.clear();
    parkedStatus.exchange(status);
}

void TrafficReader::takeParkedReply(const std::string& reply, std::uint64_t sequence)
{
    std::int32_t status = kFailed;
    try
    {
        status = decodeParkedReply(reply);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "parkedtraffic", gf_shownText(e.what())));
        status = kFailed;
    }
    publishParked(sequence, status);
}

void TrafficReader::parkedtraffic()
{
    std::uint64_t sequence = 0;
    const std::string body = parkedRequestBody(sequence);
    std::int32_t status = kFailed;
    parkedBatch.clear();
    if (!guid.empty())
    {
        try
        {
            const CURLcode result = parkedCurl.post("/v5/traffic", body, dataReply, &stopFlag);
            if (result != CURLE_OK)
            {
                // A stop is no fault: the transfer was ended on purpose.
                if (!parkedCurl.stopped())
                    gf_logWarning(fmt::format("{} curl parkedtraffic code: {}", gf_formatTime(gf_now()),
                                              curl_easy_strerror(result)));
            }
            else
            {
                status = decodeParkedReply(dataReply);
            }
        }
        catch (const std::exception& e)
        {
            gf_logWarning(fmt::format("{}: {}", "parkedtraffic", gf_shownText(e.what())));
            status = kFailed;
        }
    }
    publishParked(sequence, status);
}

} // namespace ovr
