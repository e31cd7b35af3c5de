// The service client against the fake service in its strict mode, which
// follows the service's public v5 documentation: compressed replies on
// every request, the documented reply members, provider-prefixed sources
// and nulls in the aircraft arrays, the nearest METAR rate-limited with the
// weather, parked aircraft on stands named with the airport's code, one
// session per standard licence that lapses after 120 s.
#include "airports/park_airport.h"
#include "core/parameters.h"
#include "core/stop_request.h"
#include "fake-rt/fault_option.h"
#include "service/parked_traffic.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"
#include "session_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovr::test
{
namespace
{

class StrictSessionTest : public SessionTest
{
  protected:
    void prepare(fakert::Scenario& s) override
    {
        s.strict = true;
        s.sessionTimeoutS = fakert::kStrictSessionTimeoutS;
    }
};

TEST_F(StrictSessionTest, AWholeSessionWorksAgainstTheDocumentedService)
{
    logInAndWaitForWeather();
    EXPECT_EQ(g_qnhShown.load(), 1021);
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.receiving.load(); })) << m_log.text();
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); })) << m_log.text();

    // Every aircraft whose source is a prefixed ADS-B ICAO one with a true
    // heading comes with that heading.
    const std::vector<TrafficRecord> batch = handedOver();
    const std::vector<fakert::LogEntry> live = liveRequests();
    ASSERT_FALSE(live.empty());
    std::size_t withHeading = 0;
    for (const TrafficRecord& r : batch)
    {
        withHeading += r.trueHeading ? 1 : 0;
    }
    EXPECT_GT(withHeading, 0U);

    stopReaders();
    EXPECT_EQ(g_stop.load(), 0) << m_log.text();
    const std::string guid = g_trafficReader.guid;
    g_trafficReader.deauthenticate();
    EXPECT_TRUE(m_service->sessions().empty());

    for (const fakert::LogEntry& e : m_service->log())
    {
        SCOPED_TRACE(e.path);
        EXPECT_NE(e.acceptEncoding.find("gzip"), std::string::npos) << "every reply may come compressed";
        ASSERT_TRUE(e.status.has_value()) << e.reply.substr(0, 200);
        EXPECT_EQ(*e.status, 200) << e.reply.substr(0, 200);
    }
    EXPECT_FALSE(m_log.contains("RT API error")) << m_log.text();
}

TEST_F(StrictSessionTest, PrefixedSourcesGiveHeadingsAndNullsAreMissing)
{
    // the decoder over the strict fake's own arrays: each aircraft that the
    // feed marks as ADS-B ICAO with a number at the heading has its heading
    setParkAirport(frankfurt());
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([this] { return !handedOver().empty(); })) << m_log.text();
    const std::vector<TrafficRecord> batch = handedOver();
    const fakert::LogEntry reply = [this]
    {
        std::vector<fakert::LogEntry> l = liveRequests();
        return l.front();
    }();
    const nlohmann::json data = nlohmann::json::parse(reply.reply).at("data");
    std::size_t checked = 0;
    for (const TrafficRecord& r : batch)
    {
        const std::string key = fmt::format("{:06x}", r.hexId);
        if (!data.contains(key))
        {
            continue; // handed over from another reply
        }
        const nlohmann::json& a = data.at(key);
        const std::string source = a[17].get<std::string>();
        const bool heading = source.ends_with("_adsb_icao") && a[25].is_number();
        EXPECT_EQ(r.trueHeading.has_value(), heading) << key << " " << source << " " << a[25];
        ++checked;
    }
    EXPECT_GT(checked, 0U);
}

TEST_F(StrictSessionTest, ParkedTrafficOnPrefixedStandsIsRead)
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
    for (const ParkedTrafficRecord& r : records)
    {
        EXPECT_TRUE(r.standName.starts_with("EDDF_")) << r.standName;
    }
}

// Faults written as the scripts write them reach the client as scripted:
// a reply without its status ends the live loop as any unknown status.
TEST_F(StrictSessionTest, AReplyWithoutStatusEndsTheLiveLoop)
{
    const fakert::PathFault f = fakert::faultFromSpec("traffic:when=live,omit=status,times=0");
    m_service->addFault(f.path, f.fault);
    logInAndWaitForWeather();
    setRunning(true);
    startTrafficReader();
    ASSERT_TRUE(waitFor([] { return g_trafficReader.ended.load(); })) << m_log.text();
    EXPECT_TRUE(m_log.contains("RT API error: 100")) << m_log.text();
}

} // namespace
} // namespace ovr::test
