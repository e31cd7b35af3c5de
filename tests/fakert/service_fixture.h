// A fake service from the demo scenario on a free loopback port, with a
// clock that only the test moves.
#pragma once

#include "fake-rt/fake_service.h"
#include "http_post.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace ovr::fakert::test
{

inline constexpr double kStartTime = 1750000000.25; // 2025-06-15 15:06:40 UTC
inline constexpr const char* kStandardLicence = "RT-DEMO-STANDARD-0001";
inline constexpr const char* kProfessionalLicence = "RT-DEMO-PRO-0002";
inline constexpr const char* kExpiredLicence = "RT-DEMO-EXPIRED-0003";
// as sent in a form: "RT+DEMO&PRO=0004"
inline constexpr const char* kEscapedLicence = "RT%2BDEMO%26PRO%3D0004";

// About 40 NM around the scenario airport, formatted as the program sends it.
inline constexpr const char* kBoxFields = "top=50.70&bottom=49.37&left=7.53&right=9.61";
inline const Box kBox{50.70, 49.37, 7.53, 9.61};

Scenario demoScenario(double now = kStartTime);

class ServiceFixture : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Adjusts the scenario before the service starts.
    virtual void prepare(Scenario&) {}

    HttpReply raw(std::string_view path, const std::string& body, bool acceptGzip = true);
    // The reply parsed; the test fails when it is not JSON.
    nlohmann::json post(std::string_view path, const std::string& body);
    std::string login(const std::string& escapedLicence = kStandardLicence);
    nlohmann::json traffic(const std::string& guid, std::string_view query = "locationtraffic",
                           int toffset = 0, std::string_view extra = "");
    void advance(double seconds) { m_now = m_now.load() + seconds; }
    double now() const { return m_now.load(); }

    std::atomic<double> m_now{kStartTime};
    std::unique_ptr<FakeRtService> m_service;
};

} // namespace ovr::fakert::test
