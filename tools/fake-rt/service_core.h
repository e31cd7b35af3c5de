// The fake service's answers without the HTTP around them: accounts and
// sessions, parameter checks, rate limits and the data replies of the five
// endpoints. Not thread-safe; the server calls it under its lock.
//
// Checks run in this order: session (401), parameters (400 "parameter
// fault"; in the strict mode 407 first for history too far back), account
// kind (403, history for professional licences only), rate limit (406;
// every request that gets this far counts as the previous one).
#pragma once

#include "fake-rt/form_body.h"
#include "fake-rt/request_log.h"
#include "fake-rt/scenario.h"
#include "fake-rt/traffic_generator.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::fakert
{

inline constexpr std::string_view kAuthPath = "/v5/auth";
inline constexpr std::string_view kDeauthPath = "/v5/deauth";
inline constexpr std::string_view kTrafficPath = "/v5/traffic";
inline constexpr std::string_view kNearestMetarPath = "/v5/nearestmetar";
inline constexpr std::string_view kWeatherPath = "/v5/weather";

// The most minutes back in time a request may ask for (two weeks).
inline constexpr long long kMaxTimeOffsetMinutes = 20160;

// The message that goes with a refusal status.
std::string statusMessage(int status);

struct ServiceReply
{
    nlohmann::json body;
    std::vector<SentAircraft> aircraft;
};

struct Session
{
    std::string guid;
    std::string license;
    int type = 1;
    double lastUse = 0.0;
    double began = 0.0;
    std::optional<double> lastTraffic;
    std::optional<double> lastWeather;
};

class ServiceCore
{
  public:
    explicit ServiceCore(Scenario scenario);

    // An error reply for an unknown path.
    ServiceReply handle(std::string_view path, const FormFields& fields, double now);

    const Scenario& scenario() const { return m_scenario; }
    // Every change goes through here so that the generator follows it.
    void setScenario(Scenario scenario);
    const TrafficGenerator& generator() const { return m_generator; }
    std::vector<Session> sessions() const;

  private:
    ServiceReply auth(const FormFields& fields, double now);
    ServiceReply deauth(const FormFields& fields, double now);
    ServiceReply traffic(const FormFields& fields, double now);
    ServiceReply nearestMetar(const FormFields& fields, double now);
    ServiceReply weather(const FormFields& fields, double now);

    Session* session(const FormFields& fields, double now);
    void expireSessions(double now);
    std::string newGuid();
    std::string metar(const std::string& icao, double time) const;

    Scenario m_scenario;
    TrafficGenerator m_generator;
    std::map<std::string, Session> m_sessions; // by GUID
    std::uint64_t m_guidCount = 0;
};

} // namespace ovr::fakert
