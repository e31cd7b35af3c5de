#include "app/main_loop.h"

#include <chrono>
#include <mutex>

#include "airports/weekday_hour.h"
#include "app/main_loop_detail.h"
#include "core/loop_clock.h"
#include "core/stop_request.h"
#include "core/time.h"
#include "core/time_detail.h"
#include "gui/option_helpers.h"
#include "gui/setting_controls.h"
#include "platform/kernel/timing.h"
#include "service/rt_readers.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "simlink/sim_client.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/park_airports.h"

namespace ovr
{

namespace
{

using namespace std::chrono_literals;
constexpr auto kPeriod = 10ms;
// Lateness beyond which the loop starts counting afresh instead of catching up.
constexpr auto kRebaseAfter = 110ms;
constexpr auto kMinimumSleep = 1ms;

void lf_takeUserPosition()
{
    g_trafficReader.refPos.store(LatLon{g_userPos.latitude, g_userPos.longitude});
}

// The jobs that hang on the user aircraft's data, once a second.
void lf_perSecondJobs()
{
    const std::int32_t t = g_tick.load();
    const unsigned jobs = detail::jobsDueAt(t, g_staticParkingArmed.load() != 0);
    if ((jobs & detail::kJobEvery5) != 0)
    {
        gf_updateRtIndicators();
        lf_takeUserPosition();
        gf_updateTrafficBox();
        if (!g_reservedStand.empty())
        {
            gf_removeLiveAtStand(g_reservedStand);
        }
        lf_every5Seconds();
        if ((jobs & detail::kJobEvery15) != 0)
        {
            lf_every15Seconds();
        }
        return;
    }
    if ((jobs & detail::kJobParking16) != 0)
    {
        gf_handleParking(false);
    }
    if ((jobs & detail::kJobStatics61) != 0)
    {
        lf_removeStaticsReplacedByLive();
    }
}

} // namespace

void gf_setSessionRunning(bool running)
{
    std::lock_guard lock(g_trafficMutex);
    g_running = running ? 1 : 0;
}

void gf_setWeekdayHour()
{
    // One reading of the clock for both: two could fall on either side of
    // midnight and pair one day with the other's first slot.
    const std::int64_t t = gf_now();
    const std::optional<UtcTime> now = gf_utcTime(t);
    const std::uint32_t weekday = now ? static_cast<std::uint32_t>(now->weekday) : 0xFFFFFFFFu;
    const std::int32_t slot = detail::halfHourSlotAt(t);
    g_weekdayHour.store(gf_packWeekdayHour(weekday, static_cast<std::uint32_t>(slot)));
}

void lf_mainLoop()
{
    gf_handleParking(true);
    gf_updateRtIndicators();

    LoopClock& clock = gf_loopClock();
    g_tick.store(0);
    LoopClock::TimePoint previous = clock.now();
    gf_setWeekdayHour();
    gf_setSessionRunning(true);
    lf_fillGlobalChoiceCombo();
    gf_enableCsOidButton(true);
    const bool resolutionGranted = timeBeginPeriod(1) == TIMERR_NOERROR;

    // A stop is looked at on every pass: a simulator that stops delivering
    // its data must not keep the session from ending.
    while (!gf_stopRequested())
    {
        if (g_simRunning.load() == 0 || g_simConnectError.load() != 0)
        {
            lf_flightNotRunning();
        }
        else
        {
            lf_handleAddingStack();
            if (g_userDataArrived.exchange(0) != 0)
            {
                lf_everySecond();
                if (gf_stopRequested())
                {
                    break;
                }
                lf_perSecondJobs();
            }
        }
        const LoopClock::TimePoint now = clock.now();
        const LoopClock::TimePoint next = now - previous > kRebaseAfter ? now + kPeriod : previous + kPeriod;
        if (next - now >= kMinimumSleep)
        {
            clock.sleepUntil(next);
        }
        previous = g_userDataArrived.load() != 0 ? clock.now() : next;
    }
    if (resolutionGranted)
    {
        timeEndPeriod(1);
    }
}

} // namespace ovr
