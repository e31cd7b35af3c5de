#include "service/traffic_reader.h"

#include "core/geometry.h"
#include "core/log.h"
#include "core/text.h"
#include "core/parameters.h"
#include "core/time.h"
#include "core/window_repaint.h"
#include "service/reader_snapshots.h"
#include "service/reader_thread.h"
#include "service/reply_fields.h"
#include "service/service_panel.h"
#include "service/traffic_handover.h"
#include "service/weather_reader.h"

#include <fmt/format.h>

#include <array>
#include <cmath>

namespace ovr
{

TrafficReader g_trafficReader;

namespace
{

constexpr std::size_t kDataReplyCapacity = 16384;
constexpr std::size_t kLiveRecordCapacity = 384;
constexpr int kBufferCount = 5;
constexpr int kBufferSeconds = 6;

constexpr double kNoPositionDegrees = 0.0001;
constexpr double kBoxMoveDegrees = 0.00015;
constexpr double kKmPerNm = 1.852;
constexpr double kKmPerDegreeLat = 111.2;

double lf_receivedDataTime()
{
    return g_trafficReader.dataTime.load();
}

std::string lf_trafficBody(const TrafficReader& reader, bool buffered)
{
    const QueryBox box = reader.liveBox.load();
    std::string body = fmt::format(
        "GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=locationtraffic&toffset={}",
        gf_formValue(reader.guid), box.top, box.bottom, box.left, box.right, reader.toffset.load());
    if (buffered)
    {
        body += fmt::format("&buffercount={}&buffertime={}", kBufferCount, kBufferSeconds);
    }
    return body;
}

} // namespace

TrafficReader::TrafficReader()
{
    dataReply.reserve(kDataReplyCapacity);
    liveRecords.reserve(kLiveRecordCapacity);
    gf_setDataTimeSource(&lf_receivedDataTime);
}

void TrafficReader::decodeAircraft(const std::vector<LiveArray>& arrays)
{
    for (const LiveArray& array : arrays)
    {
        processLine(array);
    }
}

void TrafficReader::handOver(std::int32_t offset)
{
    liveCount.exchange(static_cast<std::int64_t>(liveRecords.size()));
    if (liveRecords.empty())
    {
        dataTime.store(0.0);
    }
    gf_queueReceivedTraffic(liveRecords, offset);
    // A live batch leaves with its storage.
    liveRecords.reserve(kLiveRecordCapacity);
}

std::string TrafficReader::trafficRequestBody(bool buffered) const
{
    return lf_trafficBody(*this, buffered);
}

bool TrafficReader::takeBufferedReply(const std::string& reply, std::int32_t& status)
{
    const TrafficReply& parsed = replies.traffic(reply, true);
    gf_requireObject(parsed.kind);
    const std::int32_t replyStatus = gf_replyInt(parsed.status, "status", 100);
    if (replyStatus != 200)
    {
        status = replyStatus;
        if (replyStatus == 406)
        {
            // Too early: the reply says how long to wait.
            if (const auto limit = gf_replyIntegerIfInteger(parsed.rrl))
                takeRateLimit(rrl, *limit, "rrl");
            gf_logWarning(fmt::format(" buffer traffic msg {}", gf_shownText(gf_replyTextIfText(parsed.message))));
        }
        return false;
    }
    takeRateLimit(rrl, gf_replyInt(parsed.rrl, "rrl", kDefaultRateLimitMs), "rrl");
    collecting.exchange(true);
    if (parsed.data.empty())
    {
        return false;
    }
    // "buffer_4" is the oldest snapshot and is played first.
    for (std::size_t k = 0; k < parsed.bufferValues.size(); ++k)
    {
        if (parsed.data.kind == ReplyValue::Kind::object && !parsed.bufferValues[k].empty())
        {
            replies.eachBufferedAircraft(k, [this](const LiveArray& array) { processLine(array); });
        }
        handOver(static_cast<std::int32_t>(k) * kBufferSeconds);
    }
    return true;
}

std::int32_t TrafficReader::decodeLiveReply(const std::string& reply)
{
    const TrafficReply& parsed = replies.traffic(reply, false);
    gf_requireObject(parsed.kind);
    const std::int32_t replyStatus = gf_replyInt(parsed.status, "status", 100);
    if (replyStatus == 406)
    {
        // Too early: the reply says how long to wait.
        if (const auto limit = gf_replyIntegerIfInteger(parsed.rrl))
            takeRateLimit(rrl, *limit, "rrl");
        gf_logWarning(fmt::format("{} curl traffic msg: {}", gf_formatTime(gf_now()),
                                  gf_shownText(gf_replyTextIfText(parsed.message))));
        return replyStatus;
    }
    if (replyStatus != 200)
    {
        return replyStatus;
    }
    takeRateLimit(rrl, gf_replyInt(parsed.rrl, "rrl", kDefaultRateLimitMs), "rrl");
    if (!parsed.data.empty())
    {
        replies.eachLiveAircraft([this](const LiveArray& array) { processLine(array); });
    }
    return replyStatus;
}

std::int32_t TrafficReader::takeLiveReply(const std::string& reply)
{
    const std::int32_t replyStatus = decodeLiveReply(reply);
    if (replyStatus == 200)
    {
        handOver(kLivePlayOffset);
    }
    return replyStatus;
}

bool TrafficReader::buffer(std::int32_t& status)
{
    if (guid.empty())
    {
        return false;
    }
    bool result = false;
    try
    {
        const CURLcode code =
            trafficCurl.post("/v5/traffic", trafficRequestBody(true), dataReply, &stopFlag);
        if (code != CURLE_OK)
        {
            // A stop is no fault: the transfer was ended on purpose.
            if (!trafficCurl.stopped())
                gf_logWarning(fmt::format("{} buffer traffic code: {}", gf_formatTime(gf_now()),
                                          curl_easy_strerror(code)));
        }
        else if (dataReply.empty())
        {
            gf_logWarning("buffer traffic: empty content");
        }
        else
        {
            result = takeBufferedReply(dataReply, status);
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "buffer", gf_shownText(e.what())));
    }
    sleep(rrl.load());
    if (stopFlag.load())
    {
        status = kStatusStopped;
        return false;
    }
    return result;
}

bool TrafficReader::receive(std::int32_t& status)
{
    if (guid.empty())
    {
        return false;
    }
    if (!buffer(status) && !stopFlag.load())
    {
        gf_logWarning(fmt::format("buffer failed {}", status));
    }
    if (stopFlag.load())
    {
        status = kStatusStopped;
        return false;
    }
    receiving.exchange(true);
    bool result = true;
    while (!stopFlag.load())
    {
        if (parkedRequest.exchange(false))
        {
            parkedtraffic();
            wait(rrl.load());
            continue;
        }
        try
        {
            const CURLcode code =
                trafficCurl.post("/v5/traffic", trafficRequestBody(false), dataReply, &stopFlag);
            if (code != CURLE_OK)
            {
                if (!trafficCurl.stopped())
                    gf_logWarning(fmt::format("curl traffic code:{} = {}", static_cast<int>(code),
                                              curl_easy_strerror(code)));
                // Nothing arrives: the indicator turns to waiting until a
                // batch comes again.
                liveCount.exchange(0);
                wait(rrl.load());
                continue;
            }
            if (dataReply.empty())
            {
                gf_logWarning("traffic receive: empty content");
                wait(rrl.load());
                continue;
            }
            const std::int32_t replyStatus = takeLiveReply(dataReply);
            if (replyStatus == 406)
            {
                wait(rrl.load());
                continue;
            }
            if (replyStatus != 200)
            {
                status = replyStatus;
                result = false;
                break;
            }
            wait(rrl.load());
        }
        catch (const std::exception& e)
        {
            gf_logWarning(fmt::format("{}: {}\n{}", "receive", gf_shownText(e.what()), gf_replyHead(dataReply)));
            wait(rrl.load());
        }
    }
    receiving.exchange(false);
    if (stopFlag.load())
    {
        status = kStatusStopped;
        return false;
    }
    return result;
}

void gf_trafficReader()
{
    gf_runReaderThread(ReaderThreadSpec{
        "Traffic Reader", "Traffic", "gf_trafficReader", g_trafficIndicator, g_trafficReader, g_weatherReader,
        [](std::int32_t& status) { return g_trafficReader.receive(status); }});
}

std::thread gf_startTrafficReader(LatLon reference)
{
    g_trafficReader.refPos.store(reference);
    return std::thread(gf_trafficReader);
}

void gf_updateTrafficBox()
{
    const UserAcState user = gf_userPositionSnapshot();
    const double lat = user.latitude;
    const double lon = user.longitude;
    if (std::abs(lat) <= kNoPositionDegrees && std::abs(lon) <= kNoPositionDegrees)
    {
        return;
    }
    TrafficReader& reader = g_trafficReader;
    const double range = g_rangeNm.load();
    const std::scoped_lock lock(reader.boxMutex);
    if (std::abs(lat - reader.boxCentre.lat) < kBoxMoveDegrees &&
        std::abs(lon - reader.boxCentre.lon) < kBoxMoveDegrees && range == reader.boxRadius)
    {
        return;
    }
    reader.boxRadius = range;
    reader.boxCentre = LatLon{lat, lon};
    const double d = range * kKmPerNm / kKmPerDegreeLat;
    const double feet = range * kFeetPerNm;
    reader.liveBox = QueryBox{lat + d, lat - d, gf_destinationPoint(reader.boxCentre, -kPi / 2.0, feet).lon,
                              gf_destinationPoint(reader.boxCentre, kPi / 2.0, feet).lon};
}

} // namespace ovr
