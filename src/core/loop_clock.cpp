#include "core/loop_clock.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/stop_request.h"

namespace ovr
{

std::atomic<std::int32_t> g_tick{0};
std::atomic<std::int64_t> g_clock{0};

namespace
{

constexpr auto kPollStep = std::chrono::milliseconds(100);

class SteadyClock final : public LoopClock
{
  public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }
    void sleepUntil(TimePoint deadline) override { std::this_thread::sleep_until(deadline); }
};

SteadyClock g_steadyClock;
std::atomic<LoopClock*> g_installedClock{&g_steadyClock};

} // namespace

LoopClock& gf_loopClock()
{
    return *g_installedClock.load();
}

void gf_setLoopClock(LoopClock* clock)
{
    g_installedClock.store(clock != nullptr ? clock : &g_steadyClock);
}

void gf_sleepFor(std::chrono::milliseconds duration)
{
    LoopClock& clock = gf_loopClock();
    clock.sleepUntil(clock.now() + duration);
}

bool gf_waitUnlessStopped(std::chrono::milliseconds duration)
{
    while (true)
    {
        if (gf_stopRequested())
        {
            return false;
        }
        if (duration <= std::chrono::milliseconds::zero())
        {
            return true;
        }
        const auto step = std::min(duration, kPollStep);
        gf_sleepFor(step);
        duration -= step;
    }
}

} // namespace ovr
