#include "service/rt_connection.h"

#include <algorithm>
#include <cstdint>

#include <fmt/format.h>

#include "core/log.h"
#include <chrono>
#include <thread>

namespace ovr
{

namespace
{

constexpr std::size_t kAuthReplyCapacity = 4096;
constexpr std::int32_t kSleepStepMs = 100;
constexpr std::chrono::milliseconds kPollStep{kSleepStepMs};
std::atomic<std::int32_t> g_lowestRateLimitMs{kLowestRateLimitMs};

} // namespace

RtConnection::RtConnection()
{
    authReply.reserve(kAuthReplyCapacity);
}

RtConnection::~RtConnection() = default;

void RtConnection::reset()
{
    guid.clear();
    authCurl.renew();
    stopFlag.exchange(false);
    ended.exchange(false);
    toffset.exchange(0);
    rrl.exchange(kDefaultRateLimitMs);
    wrrl.exchange(kDefaultRateLimitMs);
    rateLimitRaisedLogged.exchange(false);
    rateLimitLoweredLogged.exchange(false);
    authReply.clear();
}

void RtConnection::wait(std::int32_t ms)
{
    if (ms < 1)
    {
        return;
    }
    const auto slice = [this](std::int32_t sliceMs)
    {
        if (stopFlag.load())
        {
            return false;
        }
        std::unique_lock lock(mutex);
        const auto now = std::chrono::steady_clock::now();
        const auto room = std::chrono::steady_clock::time_point::max() - now;
        const auto length = std::chrono::milliseconds(sliceMs);
        const auto deadline = length < room ? now + length : std::chrono::steady_clock::time_point::max();
        // Woken by requestStop; the 100 ms steps also catch a flag set
        // without a notify.
        while (!stopFlag.load() && std::chrono::steady_clock::now() < deadline)
        {
            cv.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + kPollStep));
        }
        return !stopFlag.load();
    };
    for (int i = 0; i < 4; ++i)
    {
        if (!slice(ms / 4))
        {
            return;
        }
    }
    if (ms % 4 != 0)
    {
        slice(ms % 4);
    }
}

void RtConnection::sleep(std::int32_t ms) const
{
    auto left = std::max(ms, 0);
    while (left > 0 && !stopFlag.load())
    {
        const std::int32_t step = std::min(left, kSleepStepMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
        left -= step;
    }
}

void RtConnection::takeRateLimit(std::atomic<std::int32_t>& limit, std::int64_t ms, std::string_view name)
{
    const std::int32_t lowest = g_lowestRateLimitMs.load();
    const std::int32_t highest = std::max(lowest, kHighestRateLimitMs);
    const auto taken = static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, lowest, highest));
    if (ms < lowest && !rateLimitRaisedLogged.exchange(true))
    {
        gf_logWarning(fmt::format("rate limit {} of {} ms from the service raised to {} ms", name, ms, lowest));
    }
    if (ms > highest && !rateLimitLoweredLogged.exchange(true))
    {
        gf_logWarning(
            fmt::format("rate limit {} of {} ms from the service lowered to {} ms", name, ms, highest));
    }
    limit.exchange(taken);
}

namespace detail
{

void setLowestRateLimitMs(std::int32_t ms)
{
    g_lowestRateLimitMs.store(ms);
}

} // namespace detail

void RtConnection::requestStop()
{
    stopFlag.exchange(true);
    // Taking the lock orders the flag before a waiter's check, so the notify
    // cannot fall between its check and its sleep.
    {
        const std::scoped_lock lock(mutex);
    }
    cv.notify_all();
}

} // namespace ovr
