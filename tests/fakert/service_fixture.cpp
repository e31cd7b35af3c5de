#include "service_fixture.h"

#include <fmt/format.h>

namespace ovr::fakert::test
{

Scenario demoScenario(double now)
{
    Scenario s = loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", now);
    s.rrl = 1000;
    s.wrrl = 1000;
    return s;
}

void ServiceFixture::SetUp()
{
    Scenario s = demoScenario();
    prepare(s);
    m_service = std::make_unique<FakeRtService>(std::move(s), [this] { return m_now.load(); });
    m_service->start();
}

void ServiceFixture::TearDown()
{
    m_service->stop();
}

HttpReply ServiceFixture::raw(std::string_view path, const std::string& body, bool acceptGzip)
{
    return httpPost(m_service->baseUrl() + std::string(path), body, acceptGzip);
}

nlohmann::json ServiceFixture::post(std::string_view path, const std::string& body)
{
    const HttpReply r = raw(path, body);
    EXPECT_EQ(r.code, CURLE_OK) << curl_easy_strerror(r.code);
    const nlohmann::json j = nlohmann::json::parse(r.body, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << "not JSON: " << r.body;
    return j;
}

std::string ServiceFixture::login(const std::string& escapedLicence)
{
    const nlohmann::json j = post("/v5/auth", fmt::format("license={}&software=Vora_12.5.5", escapedLicence));
    EXPECT_EQ(j.value("status", 0), 200) << j.dump();
    return j.value("GUID", "");
}

nlohmann::json ServiceFixture::traffic(const std::string& guid, std::string_view query, int toffset,
                                       std::string_view extra)
{
    return post("/v5/traffic",
                fmt::format("GUID={}&{}&querytype={}&toffset={}{}", guid, kBoxFields, query, toffset, extra));
}

} // namespace ovr::fakert::test
