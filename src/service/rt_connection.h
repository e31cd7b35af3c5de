// What a session with the live-traffic web API needs, shared by the two
// client objects (the Traffic Reader and the Weather Reader): the session id,
// the handle for login and logout, the service's rate limits, the time offset
// sent with every data request, and a stop flag with an interruptible wait.
#pragma once

#include "service/web_request.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace ovr
{

inline constexpr std::int32_t kDefaultRateLimitMs = 2000;
// The shortest pause between two requests of one kind, whatever a reply says.
inline constexpr std::int32_t kLowestRateLimitMs = 1000;
// The longest: the service documents limits of a few seconds, and a parked
// request not taken within 10 s is given up, so a longer pause would only
// leave the program idle (after the login it waits out wrrl).
inline constexpr std::int32_t kHighestRateLimitMs = 8000;

namespace detail
{
// Tests that run a session against a fast fake service lower the floor.
void setLowestRateLimitMs(std::int32_t ms);
} // namespace detail
// The status a reader reports when its loop ended on a stop request.
inline constexpr std::int32_t kStatusStopped = 9999;

class RtConnection
{
  public:
    RtConnection();
    RtConnection(const RtConnection&) = delete;
    RtConnection& operator=(const RtConnection&) = delete;
    virtual ~RtConnection();

    // Back to a new session: no session id, a new login handle, stop flag,
    // end mark and time offset cleared, both rate limits back to 2000 ms.
    void reset();
    // Waits up to ms milliseconds in four slices (and the remainder); a stop
    // request ends the wait within the slice it falls in.
    void wait(std::int32_t ms);
    // A pause that is not woken by the condition variable but still looks
    // at the stop flag every 100 ms.
    void sleep(std::int32_t ms) const;
    // Asks the object's loop to end and wakes its wait.
    void requestStop();
    // Takes a rate limit that a reply carries into `limit` (rrl or wrrl):
    // never below kLowestRateLimitMs, for a limit of 0 or less would make
    // the reader send without a pause, and never above kHighestRateLimitMs;
    // the first limit raised and the first lowered are logged.
    void takeRateLimit(std::atomic<std::int32_t>& limit, std::int64_t ms, std::string_view name);

    // The service session id; empty = not logged in. Written only by the
    // start-up thread (login, logout, reset) while the readers do not run.
    std::string guid;
    // Set as the very last action of the reader's thread body, however it
    // ends; closing down waits for it.
    std::atomic<bool> ended{false};
    WebRequest authCurl{"aucurl_"};
    std::string authReply;
    // Minutes back in time; written by the time-shift setting.
    std::atomic<std::int32_t> toffset{0};
    std::atomic<std::int32_t> rrl{kDefaultRateLimitMs};
    std::atomic<std::int32_t> wrrl{kDefaultRateLimitMs};
    std::atomic<bool> stopFlag{false};
    // A raised rate limit was logged in this session.
    std::atomic<bool> rateLimitRaisedLogged{false};
    // A lowered rate limit was logged in this session.
    std::atomic<bool> rateLimitLoweredLogged{false};
    // Used only by `wait`.
    std::mutex mutex;
    std::condition_variable cv;
};

} // namespace ovr
