#include "service/weather_reader.h"

#include "core/log.h"
#include "core/text.h"
#include "core/time.h"
#include "core/window_repaint.h"
#include "service/qnh.h"
#include "service/reader_snapshots.h"
#include "service/reader_thread.h"
#include "service/reply_fields.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ovr
{

WeatherReader g_weatherReader;

namespace
{

constexpr std::size_t kLongestStationCode = 8;

constexpr std::size_t kDataReplyCapacity = 16384;
constexpr std::int32_t kLowestQnh = 900;
constexpr std::int32_t kHighestQnh = 1100;
constexpr std::int32_t kLowestInchesTimes100 = 1101;
constexpr double kHectopascalPerHundredthInch = 0.33865307;
constexpr std::string_view kGatewayTimeout = "504 Gateway Timeout";

std::int32_t lf_roundToInt32(double value)
{
    const double rounded = std::round(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
    {
        throw gsl::narrowing_error{};
    }
    return static_cast<std::int32_t>(rounded);
}

// A proxy's error page in place of a reply gets a line of its own; any
// other reply that is no JSON is shown with its start.
void lf_warnInvalidReply(const std::string& reply, std::string_view what)
{
    if (reply.size() >= kGatewayTimeout.size() && reply.find(kGatewayTimeout) != std::string::npos)
    {
        gf_logWarning(fmt::format("{} {}", what, kGatewayTimeout));
    }
    else
    {
        gf_logWarning(fmt::format("{}:\n{}\n", what, gf_replyHead(reply)));
    }
}

// The reply read, or none (with a warning) when it is no JSON.
const WeatherReply* lf_readReply(ReplyReader& replies, const std::string& reply, std::string_view what)
{
    try
    {
        return &replies.weather(reply);
    }
    catch (const ReplyNotJson&)
    {
        lf_warnInvalidReply(reply, what);
        return nullptr;
    }
}

std::string lf_metarBody(const WeatherReader& reader, const UserAcState& user)
{
    return fmt::format("GUID={}&toffset={}&lat={:.4F}&lon={:.4F}", gf_formValue(reader.guid),
                       reader.toffset.load(), user.latitude, user.longitude);
}

std::string lf_weatherBody(const WeatherReader& reader, const UserAcState& user)
{
    const double feet = std::trunc(user.altitude);
    // A negative or absurd altitude never reaches the service.
    const long long altitude = feet > 0.0 ? static_cast<long long>(std::min(feet, 1.0e9)) : 0;
    return fmt::format("GUID={}&querytype=locwx&toffset={}&lat={:.4F}&lon={:.4F}&alt={}&airports={}",
                       gf_formValue(reader.guid), reader.toffset.load(), user.latitude, user.longitude,
                       altitude, gf_formValue(reader.airports));
}

void lf_publishQnh(WeatherReader& reader, std::int32_t qnh)
{
    if (qnh == reader.lastQnh && qnh != kStandardQnhHpa)
    {
        return;
    }
    reader.lastQnh = qnh;
    g_trafficReader.readerQnh.exchange(qnh);
    g_qnhHpa.exchange(qnh);
    g_qnhShown.exchange(qnh);
    std::int32_t waiting = kIndicatorWaiting;
    g_weatherIndicator.compare_exchange_strong(waiting, kIndicatorReceiving);
    gf_repaintStatusPanel();
}

} // namespace

WeatherReader::WeatherReader()
{
    dataReply.reserve(kDataReplyCapacity);
}

std::int32_t extractQNH(const ReplyValue& data, const ReplyValue& qnh)
{
    if (data.kind != ReplyValue::Kind::object || data.empty() || qnh.kind == ReplyValue::Kind::absent)
    {
        gf_logWarning("No QNH found in data");
        return kStandardQnhHpa;
    }
    std::int32_t value = 0;
    if (qnh.kind == ReplyValue::Kind::integer)
    {
        value = gsl::narrow<std::int32_t>(qnh.integer());
    }
    else if (qnh.kind == ReplyValue::Kind::bigUnsigned)
    {
        value = gsl::narrow<std::int32_t>(qnh.unsignedValue());
    }
    else if (qnh.kind == ReplyValue::Kind::floating)
    {
        value = lf_roundToInt32(static_cast<double>(static_cast<float>(qnh.floating())));
    }
    else if (qnh.isText())
    {
        const std::string_view text = qnh.text();
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end == text.data())
        {
            gf_logWarning(fmt::format("{}: {}", "extractQNH", text));
            return kStandardQnhHpa;
        }
    }
    else
    {
        gf_logWarning("No QNH found in data");
        return kStandardQnhHpa;
    }
    if (value >= kLowestInchesTimes100)
    {
        value = lf_roundToInt32(value * kHectopascalPerHundredthInch);
    }
    return value;
}

bool WeatherReader::takeMetarReply(const std::string& reply, std::int32_t& status)
{
    const WeatherReply* parsed = lf_readReply(replies, reply, "nearest metar: invalid JSON");
    if (parsed == nullptr)
    {
        return false;
    }
    gf_requireObject(parsed->kind);
    const std::int32_t replyStatus = gf_replyInt(parsed->status, "status", 100);
    if (replyStatus != 200)
    {
        status = replyStatus;
        if (replyStatus == 406 || replyStatus == 500)
        {
            gf_logWarning(fmt::format("{} json nearestmetar {}", replyStatus,
                                      gf_shownText(gf_replyText(parsed->message, "message"))));
        }
        return false;
    }
    std::string station;
    if (!parsed->data.empty())
    {
        if (parsed->data.kind != ReplyValue::Kind::array)
        {
            throw std::invalid_argument(
                fmt::format("\"data\" must be an array, but is {}", parsed->data.typeName()));
        }
        if (parsed->firstStation.kind != ReplyValue::Kind::object)
        {
            throw std::invalid_argument(
                fmt::format("reply is {}, not an object", parsed->firstStation.typeName()));
        }
        station = gf_replyText(parsed->icao, "ICAO");
        // A station code is a few letters; anything longer would go back to
        // the service with every request.
        if (station.size() > kLongestStationCode)
        {
            station.clear();
        }
    }
    airports = station;
    // Only a weather reply says the weather arrives: a station found while
    // every weather request fails would keep the indicator green.
    return !station.empty();
}

std::int32_t WeatherReader::takeWeatherReply(const std::string& reply, std::int32_t& status)
{
    const WeatherReply* parsed = lf_readReply(replies, reply, "weather receive invalid JSON");
    if (parsed == nullptr)
    {
        return kNoReply;
    }
    gf_requireObject(parsed->kind);
    const std::int32_t replyStatus = gf_replyInt(parsed->status, "status", 100);
    if (replyStatus == 406 || replyStatus == 500)
    {
        status = replyStatus;
        if (const auto limit = gf_replyIntegerIfInteger(parsed->wrrl); limit && replyStatus == 406)
            takeRateLimit(wrrl, *limit, "wrrl");
        gf_logWarning(fmt::format("{} json weather {}", replyStatus,
                                  gf_shownText(gf_replyText(parsed->message, "message"))));
        weatherOk.exchange(false);
        return replyStatus;
    }
    if (replyStatus != 200)
    {
        status = replyStatus;
        return replyStatus;
    }
    takeRateLimit(wrrl, gf_replyInt(parsed->wrrl, "wrrl", kDefaultRateLimitMs), "wrrl");
    const std::int32_t qnh = std::clamp(extractQNH(parsed->data, parsed->qnh), kLowestQnh, kHighestQnh);
    lf_publishQnh(*this, qnh);
    weatherOk.exchange(true);
    return replyStatus;
}

bool WeatherReader::nearestmetar(std::int32_t& status)
{
    if (guid.empty())
    {
        wait(wrrl.load());
        return false;
    }
    bool found = false;
    try
    {
        const UserAcState user = gf_userPositionSnapshot();
        const CURLcode code =
            metarCurl.post("/v5/nearestmetar", lf_metarBody(*this, user), dataReply, &stopFlag);
        if (code != CURLE_OK)
        {
            // A stop is no fault: the transfer was ended on purpose.
            if (!metarCurl.stopped())
                gf_logWarning(fmt::format("{} nearestmetar code: {}", gf_formatTime(gf_now()),
                                          curl_easy_strerror(code)));
        }
        else if (dataReply.empty())
        {
            gf_logWarning("nearest metar: empty content");
        }
        else
        {
            found = takeMetarReply(dataReply, status);
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "nearestmetar", gf_shownText(e.what())));
    }
    wait(wrrl.load());
    return found;
}

bool WeatherReader::receive(std::int32_t& status)
{
    if (guid.empty())
    {
        return false;
    }
    bool result = true;
    while (!stopFlag.load())
    {
        if (!nearestmetar(status))
        {
            if (status == 400 || status == 401)
            {
                result = false;
                break;
            }
            wait(wrrl.load());
            continue;
        }
        try
        {
            const UserAcState user = gf_userPositionSnapshot();
            const CURLcode code =
                weatherCurl.post("/v5/weather", lf_weatherBody(*this, user), dataReply, &stopFlag);
            if (code != CURLE_OK)
            {
                if (!weatherCurl.stopped())
                {
                    gf_logWarning(fmt::format("{} weather code: {}", gf_formatTime(gf_now()),
                                              curl_easy_strerror(code)));
                    weatherOk.exchange(false);
                }
                wait(wrrl.load());
                continue;
            }
            if (dataReply.empty())
            {
                gf_logWarning("Empty content?, no QNH to be found");
                weatherOk.exchange(false);
                wait(wrrl.load());
                continue;
            }
            const std::int32_t replyStatus = takeWeatherReply(dataReply, status);
            if (replyStatus == kNoReply || replyStatus == 406 || replyStatus == 500)
            {
                weatherOk.exchange(false);
                wait(wrrl.load());
                continue;
            }
            if (replyStatus != 200)
            {
                result = false;
                break;
            }
            wait(wrrl.load());
        }
        catch (const std::exception& e)
        {
            gf_logWarning(fmt::format("{}: {}\n{}", "receive", gf_shownText(e.what()), gf_replyHead(dataReply)));
            weatherOk.exchange(false);
            wait(wrrl.load());
        }
    }
    if (stopFlag.load())
    {
        status = kStatusStopped;
        return false;
    }
    return result;
}

void gf_weatherReader()
{
    gf_runReaderThread(ReaderThreadSpec{
        "Weather Reader", "Weather", "gf_weatherReader", g_weatherIndicator, g_weatherReader, g_trafficReader,
        [](std::int32_t& status) { return g_weatherReader.receive(status); }});
}

} // namespace ovr
