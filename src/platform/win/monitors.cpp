#include "platform/win/monitors.h"

#include "platform/win/rect_region.h"
#include "platform/win/user32.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <optional>

namespace ovr::win
{

namespace
{
std::vector<MonitorSpec> defaultMonitors() { return {MonitorSpec{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}}; }

struct MonitorTable
{
    std::mutex mutex;
    std::vector<MonitorSpec> monitors = defaultMonitors();
};

MonitorTable& table()
{
    static MonitorTable t;
    return t;
}

long long area(const RECT& r) { return isEmpty(r) ? 0 : static_cast<long long>(r.right - r.left) * (r.bottom - r.top); }

long long squaredDistance(const RECT& a, const RECT& b)
{
    long long dx = std::max({0L, static_cast<long>(b.left - a.right), static_cast<long>(a.left - b.right)});
    long long dy = std::max({0L, static_cast<long>(b.top - a.bottom), static_cast<long>(a.top - b.bottom)});
    return dx * dx + dy * dy;
}

// Index of the monitor for rect: the largest overlap; for an empty rect the
// monitor holding its corner; otherwise as flags say.
std::optional<std::size_t> pick(const std::vector<MonitorSpec>& list, const RECT& r, DWORD flags)
{
    std::optional<std::size_t> best;
    long long bestArea = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
    {
        long long a = area(intersection(list[i].monitor, r));
        if (a > bestArea || (isEmpty(r) && !best && containsPoint(list[i].monitor, r.left, r.top)))
        {
            best = i;
            bestArea = a;
        }
    }
    if (best || list.empty() || flags == MONITOR_DEFAULTTONULL)
    {
        return best;
    }
    if (flags == MONITOR_DEFAULTTOPRIMARY)
    {
        for (std::size_t i = 0; i < list.size(); ++i)
        {
            if (list[i].primary)
            {
                return i;
            }
        }
        return 0;
    }
    long long bestDistance = std::numeric_limits<long long>::max();
    for (std::size_t i = 0; i < list.size(); ++i)
    {
        long long d = squaredDistance(list[i].monitor, r);
        if (d < bestDistance)
        {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}
} // namespace

void setMonitors(std::vector<MonitorSpec> monitors)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.monitors = monitors.empty() ? defaultMonitors() : std::move(monitors);
}

RECT nearestWorkArea(const RECT& rect)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto i = pick(t.monitors, rect, MONITOR_DEFAULTTONEAREST);
    return i ? t.monitors[*i].work : RECT{0, 0, 0, 0};
}

} // namespace ovr::win

using namespace ovr::win;

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags)
{
    if (rect == nullptr)
    {
        return nullptr;
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto i = pick(t.monitors, *rect, flags);
    return i ? reinterpret_cast<HMONITOR>(*i + 1) : nullptr;
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    if (info == nullptr || info->cbSize < sizeof(MONITORINFO))
    {
        return FALSE;
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto index = reinterpret_cast<std::uintptr_t>(monitor);
    if (index == 0 || index > t.monitors.size())
    {
        return FALSE;
    }
    const MonitorSpec& m = t.monitors[index - 1];
    info->rcMonitor = m.monitor;
    info->rcWork = m.work;
    info->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
