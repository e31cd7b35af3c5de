// The clock of the start-up thread: the main loop's pacing and every wait of
// the start-up, the session start and the closing down read and sleep on it.
// The program runs on the steady clock; tests install a clock of their own
// so that hours of the loop pass in milliseconds. Beside it the main loop's
// two counters, which the readers and the traffic logic read.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace ovr
{

// Per-second counter: 0 at loop start, +1 per per-second step, 0 again once a day.
extern std::atomic<std::int32_t> g_tick;
// Motion clock in hundredths of a second; 64 bits, so that a session never
// runs out of it.
extern std::atomic<std::int64_t> g_clock;

class LoopClock
{
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    LoopClock() = default;
    LoopClock(const LoopClock&) = delete;
    LoopClock& operator=(const LoopClock&) = delete;
    virtual ~LoopClock() = default;

    virtual TimePoint now() = 0;
    virtual void sleepUntil(TimePoint deadline) = 0;
};

// The installed clock; the steady clock unless a test installed another.
LoopClock& gf_loopClock();
// nullptr restores the steady clock. The clock must outlive its use.
void gf_setLoopClock(LoopClock* clock);

void gf_sleepFor(std::chrono::milliseconds duration);

// Waits `duration` in steps of at most 100 ms; false as soon as a stop or the
// user's close is seen (also before the first step).
bool gf_waitUnlessStopped(std::chrono::milliseconds duration);

} // namespace ovr
