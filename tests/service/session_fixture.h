// A fake live-traffic service on a loopback port with short rate limits,
// the service client pointed at it, and the reader threads started and
// stopped by the test.
#pragma once

#include "core/geometry.h"
#include "core/loop_clock.h"
#include "fake-rt/fake_service.h"
#include "service/traffic_record.h"
#include "service_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ovr::test
{

inline constexpr const char* kStandardLicence = "RT-DEMO-STANDARD-0001";
inline constexpr int kRateLimitMs = 120;
// The user stands at Frankfurt, where the demo scenario plays.
inline constexpr double kUserLat = 50.0379;
inline constexpr double kUserLon = 8.5622;
inline constexpr double kUserAltitudeFt = 364.0;

// Polls the condition every 10 ms; false when it did not come true in time.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds limit = std::chrono::seconds(10));

// A loop clock on which every sleep passes at once.
class InstantClock final : public LoopClock
{
  public:
    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;

  private:
    std::mutex m_mutex;
    TimePoint m_now{};
};

class SessionTest : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Adjusts the scenario before the service starts.
    virtual void prepare(fakert::Scenario&) {}

    void startWeatherReader();
    void startTrafficReader();
    // Through the program's own start, which sets the reference first.
    void startTrafficReaderAt(LatLon reference);
    // Asks both readers to stop and joins their threads.
    void stopReaders();
    // Logs in, then starts the Weather Reader and waits for its first QNH.
    void logInAndWaitForWeather();
    void setRunning(bool running);
    // Every type the scenario's fleet flies and its parked aircraft have
    // becomes a known model.
    void knowScenarioTypes();
    std::vector<TrafficRecord> handedOver();
    std::vector<TrafficRecord> taken();
    std::vector<fakert::LogEntry> liveRequests() const;

    LogCapture m_log;
    std::unique_ptr<fakert::FakeRtService> m_service;
    std::thread m_weatherThread;
    std::thread m_trafficThread;
    InstantClock m_clock;
};

} // namespace ovr::test
