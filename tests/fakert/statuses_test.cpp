// The fake service's refusals and acceptances, one request each, after a
// standard and a professional session have logged in.
#include "service_fixture.h"

#include <fmt/format.h>

#include <cctype>

namespace ovr::fakert::test
{
namespace
{

struct StatusCase
{
    const char* name;
    const char* path;
    // {std} and {pro} stand for the GUIDs of the two sessions
    const char* body;
    int status;
};

constexpr const char* kBox = "top=50.70&bottom=49.37&left=7.53&right=9.61";

const StatusCase kCases[] = {
    {"auth_without_license", "/v5/auth", "software=Vora_12.5.5", 400},
    {"auth_without_software", "/v5/auth", "license=RT%2BDEMO%26PRO%3D0004", 400},
    {"auth_unknown_license", "/v5/auth", "license=NOT-A-LICENCE&software=Vora_12.5.5", 404},
    {"auth_expired_license", "/v5/auth", "license=RT-DEMO-EXPIRED-0003&software=Vora_12.5.5", 402},
    {"auth_license_in_session", "/v5/auth", "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5", 405},
    {"auth_escaped_license", "/v5/auth", "license=RT%2BDEMO%26PRO%3D0004&software=Vora_12.5.5", 200},
    {"deauth_known", "/v5/deauth", "GUID={std}", 200},
    {"deauth_unknown", "/v5/deauth", "GUID=00000000-0000-4000-8000-000000000000", 401},
    {"deauth_without_guid", "/v5/deauth", "", 401},
    {"live", "/v5/traffic", "GUID={std}&{box}&querytype=locationtraffic&toffset=0", 200},
    {"traffic_without_guid", "/v5/traffic", "{box}&querytype=locationtraffic&toffset=0", 401},
    {"traffic_unknown_guid", "/v5/traffic", "GUID=nope&{box}&querytype=locationtraffic&toffset=0", 401},
    {"traffic_comma_decimal", "/v5/traffic",
     "GUID={std}&top=50,70&bottom=49.37&left=7.53&right=9.61&querytype=locationtraffic&toffset=0", 400},
    {"traffic_missing_side", "/v5/traffic",
     "GUID={std}&top=50.70&bottom=49.37&left=7.53&querytype=locationtraffic&toffset=0", 400},
    {"traffic_unknown_query", "/v5/traffic", "GUID={std}&{box}&querytype=areatraffic&toffset=0", 400},
    {"traffic_upside_down_box", "/v5/traffic",
     "GUID={std}&top=49.37&bottom=50.70&left=7.53&right=9.61&querytype=locationtraffic&toffset=0", 400},
    {"traffic_negative_offset", "/v5/traffic", "GUID={std}&{box}&querytype=locationtraffic&toffset=-1", 400},
    {"traffic_fractional_offset", "/v5/traffic", "GUID={std}&{box}&querytype=locationtraffic&toffset=1.5",
     400},
    {"traffic_offset_beyond_two_weeks", "/v5/traffic",
     "GUID={pro}&{box}&querytype=locationtraffic&toffset=20161", 400},
    {"history_on_standard", "/v5/traffic", "GUID={std}&{box}&querytype=locationtraffic&toffset=30", 403},
    {"history_on_professional", "/v5/traffic", "GUID={pro}&{box}&querytype=locationtraffic&toffset=30", 200},
    {"parked_history_on_standard", "/v5/traffic", "GUID={std}&{box}&querytype=parkedtraffic&toffset=30", 403},
    {"buffered", "/v5/traffic",
     "GUID={std}&{box}&querytype=locationtraffic&toffset=0&buffercount=5&buffertime=6", 200},
    {"buffer_count_alone", "/v5/traffic",
     "GUID={std}&{box}&querytype=locationtraffic&toffset=0&buffercount=5", 400},
    {"buffer_count_zero", "/v5/traffic",
     "GUID={std}&{box}&querytype=locationtraffic&toffset=0&buffercount=0&buffertime=6", 400},
    {"parked_with_buffers", "/v5/traffic",
     "GUID={std}&{box}&querytype=parkedtraffic&toffset=0&buffercount=5&buffertime=6", 400},
    {"parked", "/v5/traffic", "GUID={std}&{box}&querytype=parkedtraffic&toffset=0", 200},
    {"nearest_metar", "/v5/nearestmetar", "GUID={std}&toffset=0&lat=50.0333&lon=8.5705", 200},
    {"nearest_metar_unknown_guid", "/v5/nearestmetar", "GUID=nope&toffset=0&lat=50.0333&lon=8.5705", 401},
    {"nearest_metar_bad_latitude", "/v5/nearestmetar", "GUID={std}&toffset=0&lat=north&lon=8.5705", 400},
    {"nearest_metar_without_offset", "/v5/nearestmetar", "GUID={std}&lat=50.0333&lon=8.5705", 400},
    {"weather", "/v5/weather",
     "GUID={std}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=1200&airports=EDDF", 200},
    {"weather_unknown_guid", "/v5/weather",
     "GUID=nope&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=1200&airports=EDDF", 401},
    {"weather_wrong_query", "/v5/weather",
     "GUID={std}&querytype=wx&toffset=0&lat=50.0333&lon=8.5705&alt=1200&airports=EDDF", 400},
    {"weather_fractional_altitude", "/v5/weather",
     "GUID={std}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=999.9&airports=EDDF", 400},
    {"weather_negative_altitude", "/v5/weather",
     "GUID={std}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=-50&airports=EDDF", 400},
    {"weather_without_airports", "/v5/weather",
     "GUID={std}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=1200", 400},
};

// A version-4 GUID in lower case: 8-4-4-4-12 hex digits.
bool isGuid(const std::string& t)
{
    if (t.size() != 36 || t[14] != '4' || std::string_view("89ab").find(t[19]) == std::string_view::npos)
    {
        return false;
    }
    for (std::size_t i = 0; i < t.size(); ++i)
    {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? t[i] != '-'
                 : !(std::isdigit(static_cast<unsigned char>(t[i])) || (t[i] >= 'a' && t[i] <= 'f')))
        {
            return false;
        }
    }
    return true;
}

class Statuses : public ServiceFixture, public testing::WithParamInterface<StatusCase>
{
};

std::string substitute(std::string text, std::string_view key, const std::string& value)
{
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    {
        text.replace(at, key.size(), value);
    }
    return text;
}

TEST_P(Statuses, AnswerWithTheStatusOfTheCase)
{
    const StatusCase& c = GetParam();
    const std::string standard = login(kStandardLicence);
    const std::string professional = login(kProfessionalLicence);
    std::string body = substitute(c.body, "{std}", standard);
    body = substitute(body, "{pro}", professional);
    body = substitute(body, "{box}", kBox);

    const nlohmann::json reply = post(c.path, body);

    EXPECT_EQ(reply.value("status", 0), c.status) << reply.dump();
    if (c.status != 200)
    {
        EXPECT_TRUE(reply.at("message").is_string());
        EXPECT_FALSE(reply.contains("data"));
    }
}

INSTANTIATE_TEST_SUITE_P(FakeService, Statuses, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<StatusCase>& p)
                         { return std::string(p.param.name); });

using Sessions = ServiceFixture;

TEST_F(Sessions, LoginReplyCarriesTheAccountWithTheTypesTheClientReads)
{
    const nlohmann::json reply =
        post("/v5/auth", fmt::format("license={}&software=Vora_12.5.5", kProfessionalLicence));

    EXPECT_TRUE(reply.at("status").is_number_integer());
    EXPECT_TRUE(isGuid(reply.at("GUID").get<std::string>())) << reply.dump();
    EXPECT_EQ(reply.at("type"), 2);
    EXPECT_TRUE(reply.at("type").is_number_integer());
    EXPECT_TRUE(reply.at("expiry").is_number_integer());
    EXPECT_NEAR(reply.at("expiry").get<double>(), kStartTime + 730 * 86400.0, 1.0);
    EXPECT_EQ(reply.at("rrl"), 1000);
    EXPECT_EQ(reply.at("wrrl"), 1000);
    EXPECT_EQ(reply.at("server"), "rt-fake-fra-1");
}

TEST_F(Sessions, OneSessionPerLicenceUntilLogout)
{
    const std::string first = login();
    EXPECT_EQ(post("/v5/auth", "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5").at("status"), 405);

    const nlohmann::json out = post("/v5/deauth", "GUID=" + first);
    EXPECT_EQ(out.at("status"), 200);
    EXPECT_TRUE(out.at("message").is_string());
    EXPECT_TRUE(out.at("server").is_string());
    EXPECT_EQ(post("/v5/deauth", "GUID=" + first).at("status"), 401);
    EXPECT_EQ(traffic(first).at("status"), 401);

    const std::string second = login();
    EXPECT_NE(second, first);
    EXPECT_EQ(m_service->sessions().size(), 1u);
}

TEST_F(Sessions, IdleSessionExpiresAndFreesItsLicence)
{
    const std::string guid = login();
    advance(299.0);
    EXPECT_EQ(traffic(guid).at("status"), 200);
    advance(301.0);
    EXPECT_EQ(traffic(guid).at("status"), 401);
    EXPECT_FALSE(login().empty());
}

TEST_F(Sessions, EscapedLicenceArrivesIntactAndTheBodyIsLoggedRaw)
{
    login(kEscapedLicence);

    const std::vector<LogEntry> log = m_service->log("/v5/auth");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "license=RT%2BDEMO%26PRO%3D0004&software=Vora_12.5.5");
    EXPECT_EQ(log[0].field("license"), "RT+DEMO&PRO=0004");
    EXPECT_EQ(log[0].fieldNames(), (std::vector<std::string>{"license", "software"}));
    EXPECT_EQ(log[0].contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(log[0].status, 200);
    EXPECT_EQ(log[0].time, kStartTime);
}

using RateLimits = ServiceFixture;

TEST_F(RateLimits, TrafficRequestsSoonerThanRrlAreRefusedAndCount)
{
    const std::string guid = login();
    EXPECT_EQ(traffic(guid).at("status"), 200);

    advance(0.999);
    const nlohmann::json early = traffic(guid);
    EXPECT_EQ(early.at("status"), 406);
    EXPECT_TRUE(early.at("message").is_string());

    // the refused request was the previous one
    advance(0.999);
    EXPECT_EQ(traffic(guid, "parkedtraffic").at("status"), 406);
    advance(1.0);
    EXPECT_EQ(traffic(guid, "parkedtraffic").at("status"), 200);
    advance(1.0);
    EXPECT_EQ(traffic(guid, "locationtraffic", 0, "&buffercount=5&buffertime=6").at("status"), 200);
}

TEST_F(RateLimits, EachSessionHasItsOwnTrafficLimit)
{
    const std::string standard = login(kStandardLicence);
    const std::string professional = login(kProfessionalLicence);
    EXPECT_EQ(traffic(standard).at("status"), 200);
    EXPECT_EQ(traffic(professional).at("status"), 200);
}

TEST_F(RateLimits, WeatherHasWrrlAndNearestMetarNone)
{
    const std::string guid = login();
    const std::string weather =
        fmt::format("GUID={}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=0&airports=EDDF", guid);
    const std::string metar = fmt::format("GUID={}&toffset=0&lat=50.0333&lon=8.5705", guid);
    EXPECT_EQ(post("/v5/nearestmetar", metar).at("status"), 200);
    EXPECT_EQ(post("/v5/weather", weather).at("status"), 200);
    EXPECT_EQ(post("/v5/nearestmetar", metar).at("status"), 200);
    EXPECT_EQ(post("/v5/weather", weather).at("status"), 406);
    EXPECT_EQ(traffic(guid).at("status"), 200);
    advance(1.0);
    EXPECT_EQ(post("/v5/weather", weather).at("status"), 200);
}

TEST_F(RateLimits, ChangedLimitsShowInRepliesAndChecks)
{
    const std::string guid = login();
    m_service->setRateLimits(3000, 4000);
    EXPECT_EQ(traffic(guid).at("rrl"), 3000);
    advance(2.5);
    EXPECT_EQ(traffic(guid).at("status"), 406);
    advance(3.0);
    EXPECT_EQ(traffic(guid).at("status"), 200);
}

} // namespace
} // namespace ovr::fakert::test
