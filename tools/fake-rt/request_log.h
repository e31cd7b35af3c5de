// Everything the fake service received and answered, in arrival order, for
// tests that check how a client formats, paces and orders its requests.
#pragma once

#include "fake-rt/form_body.h"
#include "fake-rt/geo.h"

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr::fakert
{

// One aircraft array of a traffic reply, as the generator described it.
struct SentAircraft
{
    std::string key;
    int buffer = -1; // index of "buffer_N", -1 in a plain reply
    LatLon pos;
    double dataTime = 0.0;
    bool onGround = false;
    bool wellFormed = true;
    double altitudeFt = 0.0; // true altitude, not the pressure altitude sent
    std::string callsign;
    std::string registration;
};

struct LogEntry
{
    double time = 0.0; // service clock (epoch s) at arrival
    std::string path;
    std::string body;  // raw, as received
    FormFields fields; // decoded, in body order
    std::string contentType;
    std::string acceptEncoding;
    int httpStatus = 200;
    std::optional<int> status; // the reply's "status" when it is an integer
    std::string reply;         // as generated, before any compression
    bool faulted = false;
    std::vector<SentAircraft> aircraft;

    std::vector<std::string> fieldNames() const;
    std::optional<std::string> field(std::string_view name) const;
};

class RequestLog
{
  public:
    explicit RequestLog(std::size_t capacity = 100000) : m_capacity(capacity) {}

    // The oldest entry goes when the log is full.
    void add(LogEntry entry);
    std::vector<LogEntry> entries() const;
    std::vector<LogEntry> entries(std::string_view path) const;
    std::size_t size() const;
    void clear();

  private:
    mutable std::mutex m_mutex;
    std::deque<LogEntry> m_entries;
    std::size_t m_capacity;
};

} // namespace ovr::fakert
