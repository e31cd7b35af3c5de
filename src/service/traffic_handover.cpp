#include "service/traffic_handover.h"

#include "core/loop_clock.h"
#include "service/traffic_handover_detail.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace ovr
{

std::vector<TrafficRecord> g_trafficHandover;
std::mutex g_trafficMutex;
std::uint8_t g_running = 0;

namespace
{

std::atomic<ReceivedTaker> g_taker{nullptr};

double lf_medianDataTime(const std::vector<TrafficRecord>& batch)
{
    std::vector<double> times;
    times.reserve(batch.size());
    for (const TrafficRecord& r : batch)
    {
        times.push_back(r.dataTime);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    return times.size() % 2 == 1 ? times[mid] : (times[mid - 1] + times[mid]) / 2.0;
}

std::int64_t lf_clampToInt64(long double value)
{
    // Two bounds that a long double holds exactly and an i64 takes.
    constexpr long double lo = -9.0e18L;
    constexpr long double hi = 9.0e18L;
    return static_cast<std::int64_t>(std::clamp(value, lo, hi));
}

} // namespace

namespace detail
{

void stampPlayMoments(std::vector<TrafficRecord>& batch, std::int32_t offset, std::int64_t clock)
{
    if (batch.empty())
    {
        return;
    }
    const double median = lf_medianDataTime(batch);
    const long double base = static_cast<long double>(offset) * 100.0L + static_cast<long double>(clock);
    // Beyond this a data time is nonsense anyway; the bound keeps llround
    // defined (the moment is clamped to 64 bits below).
    constexpr double kMaxTenths = 1.0e15;
    for (TrafficRecord& r : batch)
    {
        const double tenths = std::clamp((r.dataTime - median) * 10.0, -kMaxTenths, kMaxTenths);
        const long long rounded = std::isnan(tenths) ? 0 : std::llround(tenths);
        r.sample.playMoment = lf_clampToInt64(base + static_cast<long double>(rounded) * 10.0L);
    }
}

} // namespace detail

void gf_setReceivedTaker(ReceivedTaker taker)
{
    g_taker.store(taker);
}

void gf_queueReceivedTraffic(std::vector<TrafficRecord>& batch, std::int32_t offset)
{
    if (batch.empty())
    {
        return;
    }
    detail::stampPlayMoments(batch, offset, g_clock.load());
    if (offset != kLivePlayOffset)
    {
        // Sound only because the buffered request runs before the reader
        // raises `receiving`, and the main loop starts only after that: no
        // other thread touches the traffic state yet.
        if (const ReceivedTaker taker = g_taker.load())
        {
            for (const TrafficRecord& r : batch)
            {
                taker(r);
            }
        }
    }
    else
    {
        const std::scoped_lock lock(g_trafficMutex);
        if (g_running != 0 && g_trafficHandover.empty())
        {
            // Takes over the batch's storage; no record is copied.
            g_trafficHandover = std::move(batch);
        }
    }
    batch.clear();
}

} // namespace ovr
