// The fake live-traffic web service: an HTTP server on 127.0.0.1 that
// answers the five endpoints of the service's v5 API from a scenario, with
// scripted faults and a log of every request. Tests start it in-process on
// port 0 and stop it; the fake-rt program runs it for scripts and the demo.
#pragma once

#include "fake-rt/fault.h"
#include "fake-rt/request_log.h"
#include "fake-rt/scenario.h"
#include "fake-rt/service_core.h"
#include "fake-rt/traffic_generator.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::fakert
{

// Epoch seconds. The service asks it for "now" on every request, for data
// times, expiries and rate limits alike, so a test that owns it owns time.
using Clock = std::function<double()>;
double systemClock();

// The longest scripted delay; a test never waits longer for a reply.
inline constexpr std::chrono::milliseconds kMaxFaultDelay{60000};

class FakeRtService
{
  public:
    explicit FakeRtService(Scenario scenario, Clock clock = systemClock);
    ~FakeRtService();
    FakeRtService(const FakeRtService&) = delete;
    FakeRtService& operator=(const FakeRtService&) = delete;

    // Listens on 127.0.0.1 (port 0: any free port) and returns the port.
    // Throws std::runtime_error when the port cannot be bound.
    int start(int port = 0);
    // Returns promptly, also with a delayed reply in flight; may be called
    // more than once.
    void stop();
    bool running() const;
    int port() const;
    // "http://127.0.0.1:<port>"
    std::string baseUrl() const;

    // path is one of the endpoint paths, e.g. "/v5/traffic".
    void addFault(std::string path, Fault fault);
    void clearFaults();

    std::vector<LogEntry> log() const;
    std::vector<LogEntry> log(std::string_view path) const;
    void clearLog();
    // Called after each request has been logged, on the serving thread.
    void onRequest(std::function<void(const LogEntry&)> observer);

    Scenario scenario() const;
    void changeScenario(const std::function<void(Scenario&)>& change);
    void setQnh(nlohmann::json qnh);
    void setRateLimits(int rrl, int wrrl);
    void setBadEntries(int count);
    std::vector<Session> sessions() const;
    // A copy of the generator as it stands, to recompute what was sent.
    TrafficGenerator generator() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ovr::fakert
