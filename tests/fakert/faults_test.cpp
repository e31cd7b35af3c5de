// Scripted faults: what the client receives, and that the fake stays usable
// and stoppable around them.
#include "service_fixture.h"

#include "fake-rt/gzip.h"

#include <fmt/format.h>

#include <chrono>
#include <functional>
#include <thread>

namespace ovr::fakert::test
{
namespace
{

using nlohmann::json;
using namespace std::chrono_literals;

struct FaultCase
{
    const char* name;
    Fault fault;
    std::function<void(const HttpReply&)> check;
};

json parsed(const HttpReply& r)
{
    return json::parse(r.body, nullptr, false);
}

std::vector<FaultCase> faultCases()
{
    return {
        {"scripted_status", Fault{.status = 500},
         [](const HttpReply& r)
         {
             EXPECT_EQ(r.httpStatus, 200);
             EXPECT_EQ(parsed(r), (json{{"status", 500}, {"message", "Database connection error"}}));
         }},
        {"scripted_status_and_message", Fault{.status = 406, .message = "slow down"},
         [](const HttpReply& r) { EXPECT_EQ(parsed(r).at("message"), "slow down"); }},
        {"status_as_text", Fault{.statusAsText = true},
         [](const HttpReply& r)
         {
             EXPECT_EQ(parsed(r).at("status"), "200");
             EXPECT_TRUE(parsed(r).contains("data"));
         }},
        {"omitted_fields", Fault{.omit = {"status", "rrl"}},
         [](const HttpReply& r)
         {
             EXPECT_FALSE(parsed(r).contains("status"));
             EXPECT_FALSE(parsed(r).contains("rrl"));
             EXPECT_TRUE(parsed(r).at("data").is_object());
         }},
        {"fields_of_other_types", Fault{.set = {{"rrl", "2000"}, {"data", json::array()}}},
         [](const HttpReply& r)
         {
             EXPECT_EQ(parsed(r).at("rrl"), "2000");
             EXPECT_EQ(parsed(r).at("data"), json::array());
         }},
        {"gateway_timeout_page", Fault{.rawBody = gatewayTimeoutPage(), .httpStatus = 504},
         [](const HttpReply& r)
         {
             EXPECT_EQ(r.code, CURLE_OK);
             EXPECT_EQ(r.httpStatus, 504);
             EXPECT_NE(r.body.find("504 Gateway Timeout"), std::string::npos);
             EXPECT_TRUE(parsed(r).is_discarded());
         }},
        {"empty_body", Fault{.rawBody = ""},
         [](const HttpReply& r)
         {
             EXPECT_EQ(r.code, CURLE_OK);
             EXPECT_EQ(r.httpStatus, 200);
             EXPECT_TRUE(r.body.empty());
         }},
        {"invalid_json", Fault{.invalidJson = true},
         [](const HttpReply& r)
         {
             EXPECT_EQ(r.code, CURLE_OK);
             EXPECT_FALSE(r.body.empty());
             EXPECT_TRUE(r.body.starts_with("{\""));
             EXPECT_TRUE(parsed(r).is_discarded());
         }},
        {"dropped_connection", Fault{.dropConnection = true},
         [](const HttpReply& r)
         {
             EXPECT_NE(r.code, CURLE_OK);
             EXPECT_TRUE(r.body.empty());
         }},
        {"gzip_decoded_by_the_client", Fault{.gzip = true},
         [](const HttpReply& r)
         {
             EXPECT_EQ(r.contentEncoding, "gzip");
             EXPECT_EQ(parsed(r).at("status"), 200);
         }},
    };
}

class Faults : public ServiceFixture, public testing::WithParamInterface<FaultCase>
{
};

TEST_P(Faults, ReachTheClientAsScriptedOnce)
{
    const std::string guid = login();
    m_service->addFault("/v5/traffic", GetParam().fault);
    const std::string body = fmt::format("GUID={}&{}&querytype=locationtraffic&toffset=0", guid, kBoxFields);

    GetParam().check(raw("/v5/traffic", body));

    advance(1.0);
    const HttpReply next = raw("/v5/traffic", body);
    EXPECT_EQ(next.code, CURLE_OK);
    EXPECT_EQ(parsed(next).at("status"), 200) << "a fault applies to one request unless told otherwise";
    const std::vector<LogEntry> log = m_service->log("/v5/traffic");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].faulted);
    EXPECT_FALSE(log[1].faulted);
}

INSTANTIATE_TEST_SUITE_P(FakeService, Faults, testing::ValuesIn(faultCases()),
                         [](const testing::TestParamInfo<FaultCase>& p)
                         { return std::string(p.param.name); });

using FaultScripts = ServiceFixture;

TEST_F(FaultScripts, ScriptedRefusalHasNoEffect)
{
    m_service->addFault("/v5/auth", Fault{.status = 402});
    const json refused = post("/v5/auth", "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5");
    EXPECT_EQ(refused.at("status"), 402);
    EXPECT_TRUE(m_service->sessions().empty());
    EXPECT_FALSE(login().empty());
}

TEST_F(FaultScripts, LoginFieldsOfAnotherTypeOrMissing)
{
    m_service->addFault("/v5/auth", Fault{.set = {{"type", 2.0}, {"expiry", "soon"}}, .omit = {"GUID"}});
    const json reply = post("/v5/auth", "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5");
    EXPECT_EQ(reply.at("status"), 200);
    EXPECT_TRUE(reply.at("type").is_number_float());
    EXPECT_EQ(reply.at("expiry"), "soon");
    EXPECT_FALSE(reply.contains("GUID"));
}

TEST_F(FaultScripts, ConditionPicksTheKindOfTrafficRequest)
{
    const std::string guid = login();
    m_service->addFault("/v5/traffic", Fault{.status = 401, .times = 0, .when = isLiveTrafficRequest});

    EXPECT_EQ(traffic(guid, "locationtraffic", 0, "&buffercount=5&buffertime=6").at("status"), 200);
    advance(1.0);
    EXPECT_EQ(traffic(guid, "parkedtraffic").at("status"), 200);
    for (int i = 0; i < 3; ++i)
    {
        advance(1.0);
        EXPECT_EQ(traffic(guid).at("status"), 401);
    }
    m_service->clearFaults();
    advance(1.0);
    EXPECT_EQ(traffic(guid).at("status"), 200);
}

TEST_F(FaultScripts, QueuedFaultsApplyInOrderForTheirCount)
{
    const std::string guid = login();
    m_service->addFault("/v5/traffic", Fault{.status = 406, .times = 2});
    m_service->addFault("/v5/traffic", Fault{.status = 500});
    std::vector<int> statuses;
    for (int i = 0; i < 4; ++i)
    {
        advance(1.0);
        statuses.push_back(traffic(guid).at("status").get<int>());
    }
    EXPECT_EQ(statuses, (std::vector<int>{406, 406, 500, 200}));
}

TEST_F(FaultScripts, GzipIsSentWhateverTheRequestAccepts)
{
    const std::string guid = login();
    m_service->addFault("/v5/traffic", Fault{.gzip = true});
    const HttpReply r = raw(
        "/v5/traffic", fmt::format("GUID={}&{}&querytype=parkedtraffic&toffset=0", guid, kBoxFields), false);

    ASSERT_GE(r.body.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(r.body[0]), 0x1f);
    EXPECT_EQ(static_cast<unsigned char>(r.body[1]), 0x8b);
    EXPECT_EQ(json::parse(gzipDecompress(r.body)).at("status"), 200);
    EXPECT_EQ(m_service->log().back().acceptEncoding, "");
}

TEST_F(FaultScripts, PlainRepliesAreNotCompressedEvenWhenGzipIsAccepted)
{
    const HttpReply r = raw("/v5/auth", "license=RT-DEMO-STANDARD-0001&software=Vora_12.5.5", true);
    EXPECT_EQ(r.contentEncoding, "");
    EXPECT_EQ(m_service->log().back().acceptEncoding, "deflate,gzip");
}

TEST_F(FaultScripts, DelayHoldsTheReply)
{
    const std::string guid = login();
    m_service->addFault("/v5/nearestmetar", Fault{.delay = 300ms});
    const auto start = std::chrono::steady_clock::now();
    const HttpReply r =
        raw("/v5/nearestmetar", fmt::format("GUID={}&toffset=0&lat=50.0333&lon=8.5705", guid));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(parsed(r).at("status"), 200);
}

TEST_F(FaultScripts, StopReturnsPromptlyWithADelayedReplyInFlight)
{
    const std::string guid = login();
    m_service->addFault("/v5/traffic", Fault{.delay = 30s});
    HttpReply r;
    std::thread client(
        [&] {
            r = raw("/v5/traffic",
                    fmt::format("GUID={}&{}&querytype=locationtraffic&toffset=0", guid, kBoxFields));
        });
    while (m_service->log("/v5/traffic").empty())
    {
        std::this_thread::sleep_for(5ms);
    }

    const auto start = std::chrono::steady_clock::now();
    m_service->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    client.join();
    EXPECT_FALSE(m_service->running());
}

TEST_F(FaultScripts, StartsAgainAfterStop)
{
    m_service->stop();
    EXPECT_EQ(m_service->port(), 0);
    ASSERT_GT(m_service->start(), 0);
    EXPECT_FALSE(login().empty());
}

} // namespace
} // namespace ovr::fakert::test
