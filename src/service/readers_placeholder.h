// Stand-in for the live-traffic service client until the real one exists:
// the names, types and signatures are those the rest of the program calls.
// The login gives a session id at once, the Weather Reader publishes a QNH
// and the Traffic Reader reports that it is receiving; no request leaves the
// process.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace ovr {

class RtConnection
{
  public:
    RtConnection() = default;
    RtConnection(const RtConnection&) = delete;
    RtConnection& operator=(const RtConnection&) = delete;
    virtual ~RtConnection() = default;

    // Clears the session id, the stop flag and the end mark for a new session.
    void reset();
    // Waits up to ms milliseconds; a stop request ends the wait early.
    void wait(std::int32_t ms);

    std::string guid;               // service session id; empty = not logged in
    std::atomic<bool> ended{false}; // the reader's thread body has ended
    std::atomic<bool> stopFlag{false};
    std::atomic<std::int32_t> toffset{0};
    std::mutex mutex;
    std::condition_variable cv;
};

struct LatLon
{
    double lat = 0.0;
    double lon = 0.0;
};

class TrafficReader : public RtConnection
{
  public:
    // The logout of the session, on the start-up thread after both loops ended.
    void deauthenticate();

    std::atomic<bool> receiving{false}; // the live request loop runs
    std::atomic<bool> parkedRequest{false};
    std::atomic<bool> collecting{false};
    std::atomic<std::int32_t> readerQnh{1013};
    LatLon refPos; // written by the main loop
};

class WeatherReader : public RtConnection
{
  public:
    std::int32_t lastQnh = 1013;
};

extern TrafficReader g_trafficReader;
extern WeatherReader g_weatherReader;

// Guards the hand-over of received traffic and g_running.
extern std::mutex g_trafficMutex;
// The session accepts received traffic.
extern std::uint8_t g_running;

// The login as the session start calls it.
void gf_authenticater();
// Thread bodies; each sets its reader's `ended` on every way out.
void gf_trafficReader();
void gf_weatherReader();
// Both readers back to their start values before a restart.
void gf_resetRtReaders();
// The live query box around the user.
void gf_updateTrafficBox();
// Both reader indicators from what arrives.
void gf_updateRtIndicators();

} // namespace ovr
