// A service that misbehaves: stalls, answers with rate limits that would
// flood it, sends huge texts or a server's error page. The session neither
// hangs, floods the service nor floods the log.
#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "service/service_login.h"
#include "service/rt_readers.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "service/web_request_detail.h"
#include "session_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <thread>

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;
using fakert::Fault;

std::size_t longestLine(const std::string& text)
{
    std::istringstream in(text);
    std::size_t longest = 0;
    for (std::string line; std::getline(in, line);)
        longest = std::max(longest, line.size());
    return longest;
}

struct RateLimitCase
{
    const char* name;
    std::string path;
    Fault fault;
    std::atomic<std::int32_t> RtConnection::*limit;
    RtConnection* reader;
    std::int32_t expected;
    const char* logLine; // nullptr: no line about a raised limit
};

class RateLimitTest : public SessionTest, public testing::WithParamInterface<RateLimitCase>
{
};

// A limit of 0 or less is raised to the floor and one far above what the
// service documents is lowered to the ceiling (each logged once); a 406
// carries the limit to keep.
TEST_P(RateLimitTest, IsFlooredAndTakenFromA406)
{
    const RateLimitCase& c = GetParam();
    m_service->addFault(c.path, c.fault);
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return (c.reader->*c.limit).load() == c.expected; }, 5s))
        << (c.reader->*c.limit).load() << "\n"
        << m_log.text();
    if (c.logLine != nullptr)
    {
        ASSERT_TRUE(waitFor([&] { return m_log.contains(c.logLine); }, 2s)) << m_log.text();
        const std::string text = m_log.text();
        EXPECT_EQ(text.find(c.logLine), text.rfind(c.logLine)) << "logged once";
    }
}

const RateLimitCase kRateLimitCases[] = {
    {"traffic_rrl_zero", "/v5/traffic",
     Fault{.set = {{"rrl", 0}}, .times = 0, .when = fakert::isLiveTrafficRequest}, &RtConnection::rrl,
     &g_trafficReader, kRateLimitMs, "==> rate limit rrl of 0 ms from the service raised to 120 ms"},
    {"weather_wrrl_negative", "/v5/weather", Fault{.set = {{"wrrl", -5}}, .times = 0}, &RtConnection::wrrl,
     &g_weatherReader, kRateLimitMs, "==> rate limit wrrl of -5 ms from the service raised to 120 ms"},
    {"login_wrrl_zero", "/v5/auth", Fault{.set = {{"wrrl", 0}}}, &RtConnection::wrrl, &g_weatherReader,
     kRateLimitMs, "==> rate limit wrrl of 0 ms from the service raised to 120 ms"},
    {"traffic_rrl_huge", "/v5/traffic",
     Fault{.set = {{"rrl", 100000000}}, .times = 0, .when = fakert::isLiveTrafficRequest}, &RtConnection::rrl,
     &g_trafficReader, kHighestRateLimitMs,
     "==> rate limit rrl of 100000000 ms from the service lowered to 8000 ms"},
    {"weather_wrrl_huge", "/v5/weather", Fault{.set = {{"wrrl", 100000000}}, .times = 0}, &RtConnection::wrrl,
     &g_weatherReader, kHighestRateLimitMs,
     "==> rate limit wrrl of 100000000 ms from the service lowered to 8000 ms"},
    {"traffic_406_carries_rrl", "/v5/traffic",
     Fault{.status = 406,
           .message = "Too many requests",
           .set = {{"rrl", 3000}},
           .when = fakert::isLiveTrafficRequest},
     &RtConnection::rrl, &g_trafficReader, 3000, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Replies, RateLimitTest, testing::ValuesIn(kRateLimitCases),
                         caseName<RateLimitCase>);

// Texts from the service reach the log cut short; a record with a field far
// longer than any real one is refused.
TEST_F(SessionTest, HugeTextsFromTheServiceAreCutInTheLog)
{
    const std::string huge(1 << 20, 'x');
    m_service->addFault("/v5/auth", Fault{.set = {{"server", huge}}});
    m_service->addFault("/v5/traffic", Fault{.status = 406, .message = huge, .when = fakert::isLiveTrafficRequest});
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([&] { return m_log.contains("curl traffic msg: "); })) << m_log.text().substr(0, 2000);
    EXPECT_TRUE(m_log.contains("curl traffic msg: " + std::string(200, 'x') + "...\n"));
    EXPECT_TRUE(m_log.contains("Authenticated at RT server '" + std::string(200, 'x') + "...'"));
    EXPECT_LT(longestLine(m_log.text()), 400u);
}

// A server's error page is named with its HTTP status and first line.
TEST_F(SessionTest, AReplyThatIsNoJsonIsLoggedWithItsHttpStatus)
{
    m_service->addFault("/v5/traffic",
                        Fault{.rawBody = "<html><head><title>502 Bad Gateway</title></head>\n<body>x</body></html>",
                              .httpStatus = 502,
                              .when = fakert::isLiveTrafficRequest});
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor(
        [&]
        {
            return m_log.contains(
                "==> trcurl_/v5/traffic HTTP status 502, not JSON: <html><head><title>502 Bad Gateway</title></head>\n");
        }))
        << m_log.text();
}

// A stalled login ends as soon as the program stops, quietly.
TEST_F(SessionTest, AStalledLoginEndsOnTheProgramsStop)
{
    m_service->addFault("/v5/auth", Fault{.delay = 60s});
    std::thread login([] { gf_authenticater(); });
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    gf_requestUserClose();
    login.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(g_authenticated.load(), 0);
    EXPECT_FALSE(m_log.contains("Authenticater has stopped with an error")) << m_log.text();
    EXPECT_FALSE(m_log.contains("Authentication failed")) << m_log.text();
}

// The logout runs while the program stops: its own short deadline ends it.
TEST_F(SessionTest, AStalledLogoutIsGivenUpWithinTwoSeconds)
{
    logInAndWaitForWeather();
    m_service->addFault("/v5/deauth", Fault{.delay = 60s});
    gf_requestUserClose();
    const auto start = std::chrono::steady_clock::now();
    g_trafficReader.deauthenticate();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

// A reply that does not complete within the request's deadline (a stall or
// a trickle) is given up with one log line, and the indicator turns to
// waiting until traffic arrives again.
TEST_F(SessionTest, ATrafficReplyPastItsDeadlineIsGivenUp)
{
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.liveCount.load() > 0; })) << m_log.text();
    gf_updateRtIndicators();
    ASSERT_EQ(g_trafficIndicator.load(), kIndicatorReceiving);
    detail::setRequestDeadline(500ms);
    m_service->addFault("/v5/traffic", Fault{.delay = 60s, .times = 0, .when = fakert::isLiveTrafficRequest});
    ASSERT_TRUE(waitFor([&] { return m_log.contains("==> curl traffic code:28 = "); }, 5s)) << m_log.text();
    gf_updateRtIndicators();
    EXPECT_EQ(g_trafficIndicator.load(), kIndicatorWaiting);
    detail::setRequestDeadline(0ms);
    m_service->clearFaults();
}

struct FirstSessionCase
{
    const char* name;
    bool weather; // else traffic
    Fault fault;
    const char* logLine; // the failure has been seen
    bool metarAnswers = false; // weather: the nearest-METAR request still answers
};

class FirstSession : public SessionTest, public testing::WithParamInterface<FirstSessionCase>
{
  protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        // The readers as the process makes them, not as a restart leaves
        // them.
        g_trafficReader.indicatorOn = std::make_unique<TrafficReader>()->indicatorOn;
        g_weatherReader.indicatorOn = std::make_unique<WeatherReader>()->indicatorOn;
    }

    void TearDown() override
    {
        detail::setRequestDeadline(0ms);
        SessionTest::TearDown();
    }
};

// A service that fails from the start of the first session: the indicator
// does not stay green while nothing arrives.
TEST_P(FirstSession, TheIndicatorTurnsToWaitingWhenNothingArrives)
{
    const FirstSessionCase& c = GetParam();
    detail::setRequestDeadline(500ms);
    std::atomic<std::int32_t>& indicator = c.weather ? g_weatherIndicator : g_trafficIndicator;
    if (c.weather)
    {
        if (!c.metarAnswers)
            m_service->addFault("/v5/nearestmetar", c.fault);
        m_service->addFault("/v5/weather", c.fault);
        gf_authenticater();
        ASSERT_EQ(g_authenticated.load(), 1) << m_log.text();
        startWeatherReader();
    }
    else
    {
        m_service->addFault("/v5/traffic", c.fault);
        logInAndWaitForWeather();
        setRunning(true);
        startTrafficReader();
    }
    ASSERT_TRUE(waitFor([&] { return indicator.load() == kIndicatorReceiving; })) << m_log.text();
    ASSERT_TRUE(waitFor([&] { return m_log.contains(c.logLine); }, 5s)) << m_log.text();

    gf_updateRtIndicators();

    EXPECT_EQ(indicator.load(), kIndicatorWaiting) << m_log.text();
}

const FirstSessionCase kFirstSessionCases[] = {
    {"traffic_502_page", false,
     Fault{.rawBody = "<html><head><title>502 Bad Gateway</title></head></html>",
           .httpStatus = 502,
           .times = 0},
     "HTTP status 502, not JSON"},
    {"traffic_broken_json", false, Fault{.invalidJson = true, .times = 0}, "==> receive: "},
    {"traffic_406", false, Fault{.status = 406, .message = "Too many requests", .times = 0},
     "curl traffic msg: Too many requests"},
    {"traffic_stall", false, Fault{.delay = 60s, .times = 0}, "==> curl traffic code:28 = "},
    {"weather_502_page", true,
     Fault{.rawBody = "<html><head><title>502 Bad Gateway</title></head></html>",
           .httpStatus = 502,
           .times = 0},
     "HTTP status 502, not JSON"},
    // A station found is no weather: only a weather reply turns it green.
    {"weather_broken_json_metar_answers", true, Fault{.invalidJson = true, .times = 0},
     "weather receive invalid JSON", true},
};

INSTANTIATE_TEST_SUITE_P(Replies, FirstSession, testing::ValuesIn(kFirstSessionCases),
                         caseName<FirstSessionCase>);

// A normal stop aborts the transfers on purpose: no warning about it.
TEST_F(SessionTest, AStopDuringARequestIsNoWarning)
{
    logInAndWaitForWeather();
    m_service->addFault("/v5/traffic", Fault{.delay = 60s, .times = 0, .when = fakert::isLiveTrafficRequest});
    m_service->addFault("/v5/weather", Fault{.delay = 60s, .times = 0});
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); }));
    std::this_thread::sleep_for(500ms);
    stopReaders();
    EXPECT_FALSE(m_log.contains("aborted by an application callback")) << m_log.text();
}

} // namespace
} // namespace ovr::test
