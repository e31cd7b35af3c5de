// Whole sessions against the fake service: login, weather, buffered and live
// traffic, logout, and how the session ends on the service's statuses.
#include "core/geometry.h"
#include "core/globals.h"
#include "core/parameters.h"
#include "core/stop_request.h"
#include "core/time.h"
#include "liveries/model_database.h"
#include "service/parked_traffic.h"
#include "service/qnh.h"
#include "service/service_address_detail.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "session_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;
using fakert::Fault;
using Names = std::vector<std::string>;

std::string field(const fakert::LogEntry& e, std::string_view name)
{
    return e.field(name).value_or("<missing>");
}

// Each record plays at base plus its data time's distance from the batch's
// median, in tenths of a second.
void expectPlayMoments(const std::vector<TrafficRecord>& batch, std::int64_t base)
{
    std::vector<double> times;
    for (const TrafficRecord& r : batch)
    {
        times.push_back(r.dataTime);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    const double median = times.size() % 2 == 1 ? times[mid] : (times[mid - 1] + times[mid]) / 2.0;
    for (const TrafficRecord& r : batch)
    {
        EXPECT_EQ(r.sample.playMoment, base + std::llround((r.dataTime - median) * 10.0) * 10) << r.hexId;
    }
}

TEST_F(SessionTest, LoginWeatherBufferedAndLiveTrafficThenLogout)
{
    logInAndWaitForWeather();
    EXPECT_EQ(g_trafficReader.guid, g_weatherReader.guid);
    EXPECT_FALSE(g_trafficReader.guid.empty());
    EXPECT_EQ(g_qnhShown.load(), 1021);
    EXPECT_EQ(g_qnhHpa.load(), 1021);
    EXPECT_EQ(g_trafficReader.readerQnh.load(), 1021);
    EXPECT_EQ(g_weatherIndicator.load(), kIndicatorReceiving);
    const std::string account = g_accountText.load();
    EXPECT_TRUE(account.find("standard") != std::string::npos &&
                account.find("days left") != std::string::npos)
        << account;

    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); })) << m_log.text();

    // The five buffered snapshots, oldest ("buffer_4") first, played from
    // base = 5000 at offsets 0, 6, 12, 18 and 24 s, each spread around its
    // median data time.
    const std::vector<TrafficRecord> buffered = taken();
    ASSERT_GT(buffered.size(), 25u);
    const fakert::LogEntry bufferedRequest = m_service->log("/v5/traffic").front();
    ASSERT_TRUE(fakert::isBufferedTrafficRequest(bufferedRequest.fields));
    std::vector<std::vector<TrafficRecord>> byBuffer(5);
    int lastBuffer = 4;
    for (const TrafficRecord& r : buffered)
    {
        const auto sent = std::find_if(bufferedRequest.aircraft.begin(), bufferedRequest.aircraft.end(),
                                       [&](const fakert::SentAircraft& a) {
                                           return a.key == fmt::format("{:06x}", r.hexId) &&
                                                  std::abs(a.dataTime - r.dataTime) < 1e-6;
                                       });
        ASSERT_NE(sent, bufferedRequest.aircraft.end()) << r.hexId;
        EXPECT_LE(sent->buffer, lastBuffer) << "buffer_4 first, buffer_0 last";
        lastBuffer = sent->buffer;
        byBuffer[static_cast<std::size_t>(sent->buffer)].push_back(r);
    }
    for (int b = 0; b < 5; ++b)
    {
        ASSERT_FALSE(byBuffer[static_cast<std::size_t>(b)].empty()) << b;
        expectPlayMoments(byBuffer[static_cast<std::size_t>(b)], 5000 + 600 * (4 - b));
    }

    // Live batches: handed over with offset 30, and only into an empty vector.
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); })) << m_log.text();
    const std::vector<TrafficRecord> first = handedOver();
    expectPlayMoments(first, 8000);
    const std::size_t requestsSoFar = liveRequests().size();
    ASSERT_TRUE(waitFor([&] { return liveRequests().size() >= requestsSoFar + 3; }));
    const std::vector<TrafficRecord> still = handedOver();
    ASSERT_EQ(still.size(), first.size());
    for (std::size_t i = 0; i < still.size(); ++i)
    {
        EXPECT_EQ(still[i].hexId, first[i].hexId);
        EXPECT_DOUBLE_EQ(still[i].dataTime, first[i].dataTime);
    }
    {
        const std::scoped_lock lock(g_trafficMutex);
        g_trafficHandover.clear();
    }
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); }));
    EXPECT_GT(g_trafficReader.liveCount.load(), 0);

    stopReaders();
    EXPECT_TRUE(g_trafficReader.ended.load());
    EXPECT_TRUE(g_weatherReader.ended.load());
    EXPECT_FALSE(g_trafficReader.receiving.load());
    EXPECT_EQ(g_stop.load(), 0) << "a stop request ends the readers silently";
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorStopped);

    const std::string guid = g_trafficReader.guid;
    g_trafficReader.deauthenticate();
    EXPECT_EQ(g_authenticated.load(), 0);
    EXPECT_TRUE(g_trafficReader.guid.empty());
    EXPECT_TRUE(m_service->sessions().empty());
    EXPECT_TRUE(m_log.contains("Deauthenticated RT server 'rt-fake-fra-1'")) << m_log.text();
    EXPECT_GT(LAST_EPOCH_TIME.current.load(), 1700000000);
    EXPECT_FALSE(m_log.contains(kStandardLicence));

    // What went over the wire, in order and form.
    const std::vector<fakert::LogEntry> all = m_service->log();
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(all.front().path, "/v5/auth");
    EXPECT_EQ(all.front().body, "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5");
    EXPECT_EQ(all.back().path, "/v5/deauth");
    EXPECT_EQ(all.back().body, "GUID=" + guid);
    EXPECT_EQ(all[1].path, "/v5/nearestmetar");
    EXPECT_EQ(all[1].fieldNames(), (Names{"GUID", "toffset", "lat", "lon"}));
    EXPECT_EQ(field(all[1], "lat"), "50.0379");
    EXPECT_EQ(field(all[1], "lon"), "8.5622");
    EXPECT_EQ(all[2].path, "/v5/weather");
    EXPECT_EQ(all[2].fieldNames(), (Names{"GUID", "querytype", "toffset", "lat", "lon", "alt", "airports"}));
    EXPECT_EQ(field(all[2], "alt"), "364");
    EXPECT_EQ(field(all[2], "airports"), "EDDF");
    EXPECT_EQ(field(all[2], "querytype"), "locwx");

    const std::vector<fakert::LogEntry> traffic = m_service->log("/v5/traffic");
    ASSERT_GE(traffic.size(), 3u);
    EXPECT_TRUE(fakert::isBufferedTrafficRequest(traffic[0].fields));
    EXPECT_EQ(traffic[0].fieldNames(), (Names{"GUID", "top", "bottom", "left", "right", "querytype",
                                              "toffset", "buffercount", "buffertime"}));
    EXPECT_EQ(field(traffic[0], "top"), "50.70");
    EXPECT_EQ(field(traffic[0], "bottom"), "49.37");
    EXPECT_EQ(field(traffic[0], "left").substr(0, 3), "7.5");
    EXPECT_EQ(field(traffic[0], "right").substr(0, 3), "9.6");
    EXPECT_EQ(traffic[0].body, fmt::format("GUID={}&top=50.70&bottom=49.37&left={}&right={}"
                                           "&querytype=locationtraffic&toffset=0&buffercount=5&buffertime=6",
                                           guid, field(traffic[0], "left"), field(traffic[0], "right")));
    EXPECT_EQ(traffic[1].fieldNames(),
              (Names{"GUID", "top", "bottom", "left", "right", "querytype", "toffset"}));
    for (std::size_t i = 1; i < traffic.size(); ++i)
    {
        EXPECT_GE(traffic[i].time - traffic[i - 1].time, kRateLimitMs / 1000.0 - 0.002) << i;
        EXPECT_NE(traffic[i].status, 406) << i;
    }
    const std::vector<fakert::LogEntry> weather = m_service->log("/v5/weather");
    for (std::size_t i = 1; i < weather.size(); ++i)
    {
        EXPECT_GE(weather[i].time - weather[i - 1].time, kRateLimitMs / 1000.0 - 0.002) << i;
    }
}

TEST_F(SessionTest, LiveBatchHoldsEveryWellFormedAircraftOfTheReply)
{
    m_service->setBadEntries(20);
    setParkAirport(frankfurt());
    g_trafficReader.parkElevation = 364.0;
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); })) << m_log.text();
    const std::vector<TrafficRecord> batch = handedOver();
    const std::vector<fakert::LogEntry> live = liveRequests();
    // The batch came from the one live reply that found the vector empty.
    bool matched = false;
    for (const fakert::LogEntry& e : live)
    {
        std::size_t valid = 0;
        std::set<std::string> keys;
        for (const fakert::SentAircraft& a : e.aircraft)
        {
            if (a.wellFormed &&
                gf_distanceNm(LatLon{kUserLat, kUserLon}, LatLon{a.pos.lat, a.pos.lon}) <= 40.0)
            {
                ++valid;
            }
        }
        matched = matched || valid == batch.size();
    }
    EXPECT_TRUE(matched) << batch.size();
}

struct EndCase
{
    const char* name;
    std::string path;
    int status;
    std::int32_t reason;
    std::int32_t delay;
    const char* warning;
    const char* stoppedThread;
};

class SessionEndTest : public SessionTest, public testing::WithParamInterface<EndCase>
{
};

TEST_P(SessionEndTest, StatusEndsBothReadersAndTheSession)
{
    const EndCase& c = GetParam();
    Fault fault{.status = c.status, .times = 0};
    if (c.path == "/v5/traffic")
    {
        fault.when = fakert::isLiveTrafficRequest;
    }
    m_service->addFault(c.path, fault);
    gf_authenticater();
    startWeatherReader();
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.ended.load() && g_weatherReader.ended.load(); }))
        << m_log.text();
    EXPECT_EQ(g_exitReason.load(), c.reason);
    EXPECT_EQ(g_restartDelay.load(), c.delay);
    EXPECT_TRUE(m_log.contains(c.warning)) << m_log.text();
    EXPECT_TRUE(m_log.contains(fmt::format("The {} has stopped with an error", c.stoppedThread)))
        << m_log.text();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorStopped);
    EXPECT_EQ(g_weatherIndicator.load(), kIndicatorStopped);
}

const EndCase kEndCases[] = {
    {"live_401_restarts", "/v5/traffic", 401, kExitReaderError, 15,
     "==> re-authentication to RT API is needed, restart Vora", "Traffic Reader"},
    {"live_400_is_a_system_error", "/v5/traffic", 400, kExitSystemError, 0,
     "==> Traffic RT API: parameter fault", "Traffic Reader"},
    {"live_403_is_a_system_error", "/v5/traffic", 403, kExitSystemError, 0,
     "==> Traffic RT API: no data for this kind of account", "Traffic Reader"},
    {"live_500_is_a_system_error", "/v5/traffic", 500, kExitSystemError, 0, "==> Traffic RT API error: 500",
     "Traffic Reader"},
    {"nearest_metar_401_restarts", "/v5/nearestmetar", 401, kExitReaderError, 15,
     "==> re-authentication to RT API is needed, restart Vora", "Weather Reader"},
    {"nearest_metar_400_is_a_system_error", "/v5/nearestmetar", 400, kExitSystemError, 0,
     "==> Weather RT API: parameter fault", "Weather Reader"},
    {"weather_404_is_a_system_error", "/v5/weather", 404, kExitSystemError, 0,
     "==> Weather RT API error: 404", "Weather Reader"},
};

INSTANTIATE_TEST_SUITE_P(Statuses, SessionEndTest, testing::ValuesIn(kEndCases), caseName<EndCase>);

struct GoOnCase
{
    const char* name;
    std::string path;
    Fault fault;
    const char* warning;
};

class SessionGoesOnTest : public SessionTest, public testing::WithParamInterface<GoOnCase>
{
};

// After the fault the session still receives traffic and weather.
TEST_P(SessionGoesOnTest, WarnsAndContinues)
{
    const GoOnCase& c = GetParam();
    m_service->addFault(c.path, c.fault);
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return m_log.contains(c.warning); })) << m_log.text();
    {
        const std::scoped_lock lock(g_trafficMutex);
        g_trafficHandover.clear();
    }
    g_qnhShown.store(0);
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); })) << m_log.text();
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_FALSE(g_trafficReader.ended.load());
    EXPECT_FALSE(g_weatherReader.ended.load());
}

const GoOnCase kGoOnCases[] = {
    {"live_406", "/v5/traffic",
     Fault{.status = 406, .message = "Too many requests", .when = fakert::isLiveTrafficRequest},
     "curl traffic msg: Too many requests"},
    {"live_gateway_page", "/v5/traffic",
     Fault{.rawBody = fakert::gatewayTimeoutPage(), .when = fakert::isLiveTrafficRequest},
     "==> receive: reply is no JSON"},
    {"live_empty_body", "/v5/traffic", Fault{.rawBody = "", .when = fakert::isLiveTrafficRequest},
     "==> traffic receive: empty content"},
    {"live_dropped_connection", "/v5/traffic",
     Fault{.dropConnection = true, .when = fakert::isLiveTrafficRequest}, "==> curl traffic code:"},
    {"live_status_as_text", "/v5/traffic", Fault{.statusAsText = true, .when = fakert::isLiveTrafficRequest},
     "==> receive: \"status\" must be a number, but is string"},
    {"live_gzip", "/v5/traffic", Fault{.gzip = true, .times = 3, .when = fakert::isLiveTrafficRequest},
     "Traffic Reader connected"},
    {"buffered_fails", "/v5/traffic", Fault{.status = 500, .when = fakert::isBufferedTrafficRequest},
     "==> buffer failed 500"},
    {"nearest_metar_gateway_page", "/v5/nearestmetar", Fault{.rawBody = fakert::gatewayTimeoutPage()},
     "==> nearest metar: invalid JSON 504 Gateway Timeout"},
    {"nearest_metar_500", "/v5/nearestmetar", Fault{.status = 500, .message = "db down"},
     "==> 500 json nearestmetar db down"},
    {"weather_406", "/v5/weather", Fault{.status = 406, .message = "slow down"},
     "==> 406 json weather slow down"},
    {"weather_gateway_page", "/v5/weather", Fault{.rawBody = fakert::gatewayTimeoutPage()},
     "==> weather receive invalid JSON 504 Gateway Timeout"},
    {"weather_without_qnh", "/v5/weather", Fault{.omit = {"data"}}, "==> No QNH found in data"},
};

INSTANTIATE_TEST_SUITE_P(Faults, SessionGoesOnTest, testing::ValuesIn(kGoOnCases), caseName<GoOnCase>);

// The buffered reply can come at once: the reference position is set before
// the reader starts, so none of its records is checked against (0,0).
TEST_F(SessionTest, TheBufferedBatchIsHandedOverWhenTheReplyComesAtOnce)
{
    logInAndWaitForWeather();
    setRunning(true);
    g_trafficReader.refPos = LatLon{0.0, 0.0};
    startTrafficReaderAt(LatLon{kUserLat, kUserLon});
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); })) << m_log.text();
    EXPECT_GT(taken().size(), 25u);
}

TEST_F(SessionTest, StalledReplyDoesNotHoldTheClosingDown)
{
    logInAndWaitForWeather();
    m_service->addFault(
        "/v5/traffic",
        Fault{.delay = std::chrono::milliseconds(60000), .times = 0, .when = fakert::isLiveTrafficRequest});
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); }));
    std::this_thread::sleep_for(500ms); // the first live request is in flight now
    const auto start = std::chrono::steady_clock::now();
    g_weatherReader.requestStop();
    g_trafficReader.requestStop();
    EXPECT_TRUE(waitFor([] { return g_trafficReader.ended.load() && g_weatherReader.ended.load(); }, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(g_stop.load(), 0);
}

TEST_F(SessionTest, StopDuringTheBufferedRequestEndsQuietly)
{
    gf_authenticater();
    m_service->addFault("/v5/traffic", Fault{.delay = std::chrono::milliseconds(60000),
                                             .when = fakert::isBufferedTrafficRequest});
    startTrafficReader();
    std::this_thread::sleep_for(300ms);
    g_trafficReader.requestStop();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.ended.load(); }, 5s));
    EXPECT_FALSE(g_trafficReader.receiving.load());
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_FALSE(m_log.contains("buffer failed")) << m_log.text();
    EXPECT_FALSE(m_log.contains("RT API")) << m_log.text();
}

TEST_F(SessionTest, LiveReplyWithoutDataHandsOverAnEmptyBatch)
{
    m_service->addFault("/v5/traffic",
                        Fault{.omit = {"data"}, .times = 0, .when = fakert::isLiveTrafficRequest});
    gf_authenticater();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([this] { return liveRequests().size() >= 2; }));
    ASSERT_TRUE(waitFor([] { return g_trafficReader.dataTime.load() == 0.0; }));
    EXPECT_EQ(g_trafficReader.liveCount.load(), 0);
    EXPECT_TRUE(handedOver().empty());
    EXPECT_EQ(g_stop.load(), 0);
}

TEST_F(SessionTest, ParkedTrafficForAnotherThreadIsAgedSortedAndDeDuplicated)
{
    knowScenarioTypes();
    setParkAirport(frankfurt());
    gf_authenticater();
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); }));

    bool answered = false;
    std::thread caller([&] { answered = gf_getParkedTraffic(); });
    caller.join();
    ASSERT_TRUE(answered) << m_log.text();
    const std::vector<ParkedTrafficRecord> records = g_trafficReader.parkedRecords;
    ASSERT_FALSE(records.empty());

    const std::vector<fakert::LogEntry> parked = [&]
    {
        std::vector<fakert::LogEntry> out;
        for (fakert::LogEntry& e : m_service->log("/v5/traffic"))
        {
            if (fakert::isParkedTrafficRequest(e.fields))
            {
                out.push_back(std::move(e));
            }
        }
        return out;
    }();
    ASSERT_EQ(parked.size(), 1u);
    EXPECT_EQ(parked[0].fieldNames(),
              (Names{"GUID", "top", "bottom", "left", "right", "querytype", "toffset"}));
    EXPECT_EQ(field(parked[0], "top"), "50.08");
    EXPECT_EQ(field(parked[0], "bottom"), "49.98");
    EXPECT_EQ(field(parked[0], "left"), "8.49");
    EXPECT_EQ(field(parked[0], "right"), "8.65");

    const nlohmann::json data = nlohmann::json::parse(parked[0].reply)["data"];
    const std::int32_t slotNow = gf_halfHourSlot();
    std::set<std::string> stands;
    std::set<std::string> callsigns;
    std::int32_t lastAge = 0;
    for (const ParkedTrafficRecord& r : records)
    {
        const std::string key = fmt::format("{:06x}", r.hexId);
        ASSERT_TRUE(data.contains(key)) << key;
        const std::int64_t seenAt = data[key][5].get<std::int64_t>();
        const std::optional<UtcTime> utc = gf_utcTime(seenAt);
        ASSERT_TRUE(utc);
        const int slot = (2 * utc->hour + (utc->minute * 60 + utc->second >= 29 * 60 + 30 ? 1 : 0)) % 48;
        EXPECT_EQ(r.slot, (slotNow - slot + 48) % 48) << key;
        EXPECT_GE(r.slot, lastAge);
        lastAge = r.slot;
        EXPECT_TRUE(stands.insert(r.standName).second) << r.standName;
        if (!r.callsign.empty())
        {
            EXPECT_TRUE(callsigns.insert(r.callsign).second) << r.callsign;
        }
    }
}

TEST_F(SessionTest, LicenceWithAmpersandAndPlusArrivesIntact)
{
    detail::setRtLicence("RT+DEMO&PRO=0004");
    gf_authenticater();
    EXPECT_EQ(g_authenticated.load(), 1) << m_log.text();
    EXPECT_EQ(g_rtProfessional.load(), 1);
    const std::vector<fakert::LogEntry> auth = m_service->log("/v5/auth");
    ASSERT_EQ(auth.size(), 1u);
    EXPECT_EQ(auth[0].body, "license=RT%2BDEMO%26PRO%3D0004&software=Vora_12.5.5");
    EXPECT_EQ(field(auth[0], "license"), "RT+DEMO&PRO=0004");
    EXPECT_EQ(auth[0].fieldNames(), (Names{"license", "software"}));
    EXPECT_FALSE(m_log.contains("RT+DEMO&PRO=0004"));
    EXPECT_NE(g_accountText.load().find("professional"), std::string::npos);
}

} // namespace
} // namespace ovr::test
