// The fake service's strict mode against the service's public v5
// documentation: sessions per licence kind and their lapse, 407, the buffer
// limits, the reply fields and array forms, the parked selection and stand
// names, the nearest METAR's fields and rate limit, gzip whenever accepted;
// and the faults written as scenario entries and command-line texts.
#include "service_fixture.h"

#include "fake-rt/fault_option.h"
#include "fake-rt/gzip.h"
#include "fake-rt/strict_feed.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>

namespace ovr::fakert::test
{
namespace
{

using nlohmann::json;

class Strict : public ServiceFixture
{
  protected:
    void prepare(Scenario& s) override
    {
        s.strict = true;
        s.sessionTimeoutS = kStrictSessionTimeoutS;
    }
};

TEST_F(Strict, SessionsPerLicenceKindAndTheirLapse)
{
    login(kStandardLicence);
    EXPECT_EQ(post("/v5/auth", fmt::format("license={}&software=Vora_12.5.5", kStandardLicence)).at("status"),
              405);
    const std::string pro1 = login(kProfessionalLicence);
    const std::string pro2 = login(kProfessionalLicence);
    EXPECT_NE(pro1, pro2);
    EXPECT_EQ(
        post("/v5/auth", fmt::format("license={}&software=Vora_12.5.5", kProfessionalLicence)).at("status"),
        405);

    advance(119.0);
    EXPECT_EQ(traffic(pro1).at("status"), 200);
    advance(121.0);
    EXPECT_EQ(traffic(pro1).at("status"), 401);
    EXPECT_FALSE(login(kStandardLicence).empty());
}

TEST_F(Strict, DeauthTellsTheSessionLength)
{
    const std::string guid = login();
    advance(42.0);
    const json out = post("/v5/deauth", "GUID=" + guid);
    EXPECT_EQ(out.at("status"), 200);
    EXPECT_TRUE(out.at("message").is_string());
    EXPECT_TRUE(out.at("server").is_string());
    EXPECT_EQ(out.at("session_length"), 42);
}

struct StrictStatus
{
    const char* name;
    const char* extra;
    int toffset;
    int status;
};

class StrictStatuses : public Strict, public testing::WithParamInterface<StrictStatus>
{
};

TEST_P(StrictStatuses, OfTrafficRequests)
{
    const StrictStatus& c = GetParam();
    const std::string guid = login(kProfessionalLicence);
    EXPECT_EQ(traffic(guid, "locationtraffic", c.toffset, c.extra).at("status"), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    FakeService, StrictStatuses,
    testing::Values(StrictStatus{"history_too_far_back", "", 20161, 407},
                    StrictStatus{"ten_buffers_of_ten_seconds", "&buffercount=10&buffertime=10", 0, 200},
                    StrictStatus{"eleven_buffers", "&buffercount=11&buffertime=6", 0, 400},
                    StrictStatus{"odd_buffer_time", "&buffercount=5&buffertime=5", 0, 400},
                    StrictStatus{"buffer_time_12", "&buffercount=5&buffertime=12", 0, 400},
                    StrictStatus{"what_the_program_asks", "&buffercount=5&buffertime=6", 0, 200}),
    [](const testing::TestParamInfo<StrictStatus>& p) { return std::string(p.param.name); });

TEST_F(Strict, TrafficRepliesCarryTheDocumentedMembersAndForms)
{
    const std::string guid = login();
    const json live = traffic(guid);
    ASSERT_EQ(live.at("status"), 200);
    EXPECT_TRUE(live.at("full_count").is_number_integer());
    EXPECT_GE(live.at("full_count").get<std::size_t>(), live.at("data").size());
    EXPECT_TRUE(live.at("source").is_string());
    EXPECT_EQ(live.at("dataepoch"), std::llround(kStartTime));
    ASSERT_FALSE(live.at("data").empty());
    for (const auto& [hex, a] : live.at("data").items())
    {
        SCOPED_TRACE(hex);
        ASSERT_EQ(a.size(), 48U);
        const std::string provider = a[7].get<std::string>();
        EXPECT_TRUE(provider == "X" || provider == "T");
        EXPECT_TRUE(a[17].get<std::string>().starts_with(provider + "_")) << a[17];
        EXPECT_TRUE(a[6].is_string());
        EXPECT_TRUE(a[20].is_null() || a[20].get<double>() >= 0.0);
    }

    advance(2.0);
    const json buffered = traffic(guid, "locationtraffic", 0, "&buffercount=5&buffertime=6");
    EXPECT_TRUE(buffered.contains("endepoch"));
    EXPECT_FALSE(buffered.contains("dataepoch"));
    EXPECT_TRUE(buffered.contains("full_count"));
}

TEST_F(Strict, ParkedAircraftCarryPrefixedStandsFractionalEpochsAndAreSeenInTheWindow)
{
    const std::string guid = login();
    const json parked = traffic(guid, "parkedtraffic");
    ASSERT_EQ(parked.at("status"), 200);
    ASSERT_FALSE(parked.at("data").empty());
    const std::string prefix = m_service->scenario().airport.icao + "_";
    for (const auto& [hex, a] : parked.at("data").items())
    {
        SCOPED_TRACE(hex);
        EXPECT_TRUE(a[2].get<std::string>().starts_with(prefix)) << a[2];
        ASSERT_TRUE(a[5].is_number_float());
        const double age = kStartTime - a[5].get<double>();
        EXPECT_GE(age, 600.0 - 1.0);
        EXPECT_LE(age, 86400.0);
    }
}

TEST(StrictFeed, ParkedWindowIsTenMinutesToADay)
{
    EXPECT_FALSE(parkedInWindow(1000.0 - 599.0, 1000.0));
    EXPECT_TRUE(parkedInWindow(1000.0 - 600.0, 1000.0));
    EXPECT_TRUE(parkedInWindow(100000.0 - 86400.0, 100000.0));
    EXPECT_FALSE(parkedInWindow(100000.0 - 86401.0, 100000.0));
}

TEST_F(Strict, NearestMetarHasMessageAndWrrlAndIsRateLimitedWithTheWeather)
{
    const std::string guid = login();
    const std::string where = "toffset=0&lat=50.0333&lon=8.5705";
    const json first = post("/v5/nearestmetar", fmt::format("GUID={}&{}", guid, where));
    EXPECT_EQ(first.at("status"), 200);
    EXPECT_TRUE(first.at("message").is_string());
    EXPECT_EQ(first.at("wrrl"), 1000);
    EXPECT_TRUE(first.at("data").is_array());
    const json weather =
        post("/v5/weather", fmt::format("GUID={}&querytype=locwx&{}&alt=1200&airports=EDDF", guid, where));
    EXPECT_EQ(weather.at("status"), 406);
    advance(1.0);
    EXPECT_EQ(post("/v5/nearestmetar", fmt::format("GUID={}&{}", guid, where)).at("status"), 200);
}

TEST_F(Strict, RepliesAreGzippedWhenAcceptedOnly)
{
    const std::string body = fmt::format("license={}&software=Vora_12.5.5", kStandardLicence);
    const HttpReply zipped = raw("/v5/auth", body, true);
    EXPECT_EQ(zipped.contentEncoding, "gzip");
    EXPECT_EQ(json::parse(zipped.body).at("status"), 200);
    const std::string guid = json::parse(zipped.body).at("GUID").get<std::string>();
    const HttpReply plain = raw("/v5/deauth", "GUID=" + guid, false);
    EXPECT_EQ(plain.contentEncoding, "");
    EXPECT_EQ(json::parse(plain.body).at("status"), 200);
}

TEST(StrictFeed, ALiveArrayInTheDocumentedForm)
{
    json a = json::array();
    for (int i = 0; i < 48; ++i)
    {
        a.push_back(nullptr);
    }
    a[6] = 1000;
    a[7] = "A";
    a[14] = 1;
    a[17] = "adsb_icao";
    a[20] = -1;
    a[23] = 0.0;
    toDocumentedLive(a, "4ca7b2");
    const std::string provider(1, providerOf("4ca7b2"));
    EXPECT_EQ(a[7], provider);
    EXPECT_TRUE(a[17].get<std::string>().starts_with(provider + "_")) << a[17];
    EXPECT_TRUE(a[20].is_null());
    EXPECT_TRUE(a[23].is_null());
    EXPECT_EQ(a[6], "1000");
}

struct SpecCase
{
    const char* name;
    const char* spec;
    std::string path;
    std::function<void(const Fault&)> check;
};

class FaultSpecs : public testing::TestWithParam<SpecCase>
{
};

TEST_P(FaultSpecs, ReadFromTheCommandLineForm)
{
    const SpecCase& c = GetParam();
    const PathFault f = faultFromSpec(c.spec);
    EXPECT_EQ(f.path, c.path);
    c.check(f.fault);
}

INSTANTIATE_TEST_SUITE_P(
    FakeService, FaultSpecs,
    testing::Values(SpecCase{"status", "traffic:when=live,status=500,times=3", "/v5/traffic",
                             [](const Fault& f)
                             {
                                 EXPECT_EQ(f.status, 500);
                                 EXPECT_EQ(f.times, 3);
                                 ASSERT_TRUE(f.when);
                                 EXPECT_TRUE(f.when(parseFormBody("querytype=locationtraffic")));
                                 EXPECT_FALSE(f.when(parseFormBody("querytype=parkedtraffic")));
                             }},
                    SpecCase{"missing_status", "traffic:omit=status+rrl", "/v5/traffic",
                             [](const Fault& f) {
                                 EXPECT_EQ(f.omit, (std::vector<std::string>{"status", "rrl"}));
                             }},
                    SpecCase{"html_page", "weather:html", "/v5/weather",
                             [](const Fault& f)
                             {
                                 EXPECT_EQ(f.rawBody, gatewayTimeoutPage());
                                 EXPECT_EQ(f.httpStatus, 504);
                             }},
                    SpecCase{"stall", "/v5/auth:delay_ms=8000", "/v5/auth",
                             [](const Fault& f) { EXPECT_EQ(f.delay, std::chrono::milliseconds(8000)); }},
                    SpecCase{"trickle", "traffic:trickle_ms=200,times=0", "/v5/traffic",
                             [](const Fault& f)
                             {
                                 EXPECT_EQ(f.trickle, std::chrono::milliseconds(200));
                                 EXPECT_EQ(f.times, 0);
                             }},
                    SpecCase{"drop_garbage_gzip", "nearestmetar:drop,garbage,gzip", "/v5/nearestmetar",
                             [](const Fault& f)
                             { EXPECT_TRUE(f.dropConnection && f.invalidJson && f.gzip); }},
                    SpecCase{"raw_text", "deauth:raw=oops,http=502", "/v5/deauth",
                             [](const Fault& f)
                             {
                                 EXPECT_EQ(f.rawBody, "oops");
                                 EXPECT_EQ(f.httpStatus, 502);
                             }},
                    SpecCase{"message_stays_text", "auth:status=405,message=123", "/v5/auth",
                             [](const Fault& f) { EXPECT_EQ(f.message, "123"); }}),
    [](const testing::TestParamInfo<SpecCase>& p) { return std::string(p.param.name); });

TEST(FaultSpecs, WrongOnesAreRefusedWithAReason)
{
    for (const char* spec : {"nowhere:status=500", "traffic:status=abc", "traffic:when=soon",
                             "traffic:http=700", "traffic:colour=red", "traffic:delay_ms=-5"})
    {
        SCOPED_TRACE(spec);
        EXPECT_THROW(faultFromSpec(spec), std::runtime_error);
    }
}

class ScenarioFaults : public ServiceFixture
{
  protected:
    void prepare(Scenario& s) override
    {
        s.faults.push_back(faultFromJson(json{{"path", "traffic"}, {"when", "live"}, {"omit", {"status"}}}));
        s.faults.push_back(faultFromJson(json{{"path", "weather"}, {"html", true}, {"times", 2}}));
    }
};

TEST_F(ScenarioFaults, AreScriptedFromTheStart)
{
    const std::string guid = login();
    const json reply = traffic(guid);
    EXPECT_FALSE(reply.contains("status"));
    EXPECT_TRUE(reply.contains("data"));
    const HttpReply page = raw("/v5/weather", "GUID=" + guid);
    EXPECT_EQ(page.httpStatus, 504);
    EXPECT_NE(page.body.find("504 Gateway Timeout"), std::string::npos);
}

using TrickleFault = ServiceFixture;

TEST_F(TrickleFault, SendsTheWholeBodySlowly)
{
    const PathFault f = faultFromSpec("auth:trickle_ms=5");
    m_service->addFault(f.path, f.fault);
    const auto start = std::chrono::steady_clock::now();
    const HttpReply reply = raw("/v5/auth", fmt::format("license={}&software=Vora_12.5.5", kStandardLicence));
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(reply.code, CURLE_OK);
    EXPECT_EQ(json::parse(reply.body).at("status"), 200);
    // a reply of more than 100 bytes in 16-byte pieces with 5 ms before each
    EXPECT_GE(took, std::chrono::milliseconds(5 * static_cast<int>(reply.body.size() / 16)));
}

TEST(ScenarioFile, StrictAndFaultsAreRead)
{
    json j = json::parse(std::ifstream(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json"));
    j["strict"] = true;
    j["service"].erase("session_timeout_s"); // strict: the documented lapse unless one is given
    j["faults"] = json::array({json{{"path", "auth"}, {"delay_ms", 10}}});
    const Scenario s = parseScenario(j, kStartTime);
    EXPECT_TRUE(s.strict);
    EXPECT_EQ(s.sessionTimeoutS, kStrictSessionTimeoutS);
    ASSERT_EQ(s.faults.size(), 1U);
    EXPECT_EQ(s.faults[0].path, "/v5/auth");

    j["faults"] = json::array({json{{"path", "auth"}, {"delay", 10}}});
    EXPECT_THROW(parseScenario(j, kStartTime), std::runtime_error);
    j["faults"] = json::array();
    j["strict"] = "yes";
    EXPECT_THROW(parseScenario(j, kStartTime), std::runtime_error);
}

} // namespace
} // namespace ovr::fakert::test
