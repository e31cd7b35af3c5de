#include <algorithm>
#include <ctime>
#include <mutex>
#include <optional>

#include <fmt/format.h>

#include "airports/apf_reader.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "airports/option_identity.h"
#include "airports/weekday_hour.h"
#include "app/main_loop.h"
#include "app/main_loop_detail.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/text.h"
#include "core/time.h"
#include "core/user_on_ground.h"
#include "gui/app_window.h"
#include "gui/option_helpers.h"
#include "gui/setting_controls.h"
#include "gui/window_state.h"
#include "liveries/livery_matching.h"
#include "service/traffic_reader.h"
#include "simlink/sim_client.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"
#include "traffic/park_airports.h"
#include "traffic/parking_adjust.h"

namespace ovr
{

std::atomic<std::uint8_t> g_flightPaused{0};
std::atomic<std::uint8_t> g_parkingUpdatePhase{0};

namespace
{

constexpr std::int64_t kSimTimeJumpSeconds = 30;
constexpr std::int32_t kStaticRenewPeriodMinutes = 20;
constexpr std::int32_t kPassesPerSecond = 100;

// Passes counted down while no flight runs (start-up thread only).
std::int32_t g_pausedPasses = kPassesPerSecond;

LiveAc* lf_findActive(const std::string& callsign)
{
    const auto it = std::ranges::find_if(
        g_liveAircraft, [&](const LiveAc& aircraft)
        { return aircraft.simState == kSimStateActive && aircraft.callsign == callsign; });
    return it == g_liveAircraft.end() ? nullptr : &*it;
}

void lf_setFollowText(std::string text)
{
    g_followText = std::move(text);
    gf_repaintRect(kOptionsAreaRect);
}

void lf_followSimTime()
{
    if (g_rtProfessional.load() == 0 || !SIM_TIME.current.load())
    {
        return;
    }
    const std::int64_t simNow = g_simEpoch.load();
    if (std::llabs(simNow - g_simTimeBase.load()) >= kSimTimeJumpSeconds)
    {
        const std::int64_t behind = (static_cast<std::int64_t>(std::time(nullptr)) - simNow) / 60;
        gf_timeShift(static_cast<std::int32_t>(std::max<std::int64_t>(behind, 0)), true);
    }
    g_simTimeBase.store(simNow);
}

void lf_initialiseOnePending()
{
    if (g_pendingInit.empty())
    {
        return;
    }
    const std::uint32_t key = g_pendingInit.front();
    g_pendingInit.pop_front();
    const auto it = std::ranges::find_if(g_liveAircraft, [key](const LiveAc& a) { return a.aiKey == key; });
    if (it != g_liveAircraft.end())
    {
        // The names of a learned option are taken once: a key comes here
        // again at every landing and arrival at a stand.
        if (it->identityTaken == 0)
        {
            gf_takeIdentityFromOption(g_weekdayHour.load(), *it);
            it->identityTaken = 1;
        }
        lf_removeStaticsFor(*it);
    }
}

void lf_follow()
{
    // Taken in one step: a change requested while this runs stays for the
    // next pass.
    if (g_followChanged.exchange(0) == 0)
    {
        return;
    }
    if (const LiveAc* followed = lf_findActive(CALLSIGN_2_OBJECTID.value()))
    {
        g_followedObjectId.store(followed->objectId);
        lf_setFollowText(fmt::format("= {}", gf_idToText(followed->objectId)));
    }
    else
    {
        lf_setFollowText("has left");
    }
}

void lf_flushStatics()
{
    if (g_flushStaticRequested.exchange(0) == 0)
    {
        return;
    }
    gf_removeAllStatics();
    if (!INITIAL_LOAD_ONLY.current.load())
    {
        INITIAL_LOAD_ONLY.current.store(true);
        gf_showParameterCheck(INITIAL_LOAD_ONLY);
    }
}

void lf_avoidCollisions()
{
    const bool onGround = g_userOnGround.load() != 0;
    if (!onGround && COLLISION_USER_AIR.current.load())
    {
        gf_avoidCollisionUserAir();
    }
    if (onGround && COLLISION_USER_GND.current.load())
    {
        gf_avoidCollisionUserGnd();
    }
    if (COLLISION_LIVE_PARKED_GND.current.load())
    {
        gf_clearStaticsOnTaxiPaths();
    }
}

void lf_removeBlocked()
{
    if (g_blockListChanged.exchange(0) == 0)
    {
        return;
    }
    const std::string blocked = BLOCK_CALLSIGN.value();
    if (blocked.empty())
    {
        return;
    }
    if (LiveAc* aircraft = lf_findActive(blocked))
    {
        removeAircraftFromSim(*aircraft);
    }
}

void lf_twoStepParkingUpdate()
{
    if (g_staticParkingArmed.load() == 0)
    {
        return;
    }
    const std::uint8_t phase = g_parkingUpdatePhase.load();
    if (phase == 0)
    {
        // The live aircraft seen from now on are kept out of the statics, and
        // the parked traffic is asked for without waiting for it.
        g_parkingUpdatePhase.store(1);
        gf_parkingBusy();
        g_trafficReader.collecting.store(true);
        gf_armAdjustParkedTraffic();
        return;
    }
    // A slow answer gets one more slot; after that the adjustment goes on
    // without it.
    if (phase == 1 && gf_adjustParkedTrafficPending())
    {
        g_parkingUpdatePhase.store(2);
        return;
    }
    g_parkingUpdatePhase.store(0);
    gf_clearErrorStatus();
    // The stands read from its file, not the airport list's count, say
    // whether there is anything to adjust.
    if (!g_parkAirport.icao.empty() && !g_stands.empty())
    {
        gf_adjustParking(g_parkingOptionChanged.exchange(0) != 0);
    }
    else
    {
        // Nobody takes the identities collected since the first step: the
        // collection ends here instead of growing for the rest of the
        // session.
        g_trafficReader.takeCollected();
    }
    g_staticParkingArmed.store(0);
}

void lf_renewStaticsCountdown()
{
    if (g_staticRenewMinutes.fetch_sub(1) - 1 < 1)
    {
        g_staticRenewMinutes.store(kStaticRenewPeriodMinutes);
        if (g_learnedOverride.load() != 0 && !INITIAL_LOAD_ONLY.current.load() && g_parkingBusy.load() == 0 &&
            g_staticParkingArmed.load() == 0)
        {
            gf_scheduleParkingUpdate();
        }
    }
    gf_repaintRect(kOptionsAreaRect);
    if (OBJECTID_LIST.current.load())
    {
        lf_writeLiveAcFile();
    }
}

// The main loop's half of the window's commands that change the traffic.
void lf_takeWindowRequests()
{
    if (std::optional<DestinationRequest> destination = g_destinationRequest.load())
    {
        g_destinationRequest.store(std::nullopt);
        gf_setFirstParkAirport(destination->icao, destination->latitude, destination->longitude);
    }
    if (g_timeShiftFlushRequested.exchange(0) != 0)
    {
        for (LiveAc& aircraft : g_liveAircraft)
        {
            // A queued creation is taken back; one under way goes as soon
            // as its object exists.
            if (aircraft.simState == kSimStateActive || aircraft.simState == kSimStateAdding)
            {
                removeAircraftFromSim(aircraft);
            }
        }
        g_liveAircraft.eraseIf([](const LiveAc& aircraft) { return aircraft.createCancelled != 0; });
        gf_removeAllStatics();
        gf_scheduleParkingUpdate();
    }
    if (g_maxLiveChanged.exchange(0) != 0)
    {
        const auto active = std::ranges::count_if(
            g_liveAircraft, [](const LiveAc& aircraft) { return aircraft.simState == kSimStateActive; });
        for (auto k = active - MAX_LIVE_SEL.current.load(); k > 0; --k)
        {
            gf_removeFarthestLiveAc(-1.0);
        }
    }
    if (g_navLightsChanged.exchange(0) != 0)
    {
        const std::uint32_t on = NAV_LIGHTS_WHILE_PARKED.current.load() ? 1 : 0;
        for (const StaticAc& aircraft : g_staticAircraft)
        {
            if (aircraft.simState == kSimStateActive)
            {
                gf_setNavLights(aircraft.objectId, on);
            }
        }
        // A live aircraft on its stand is parked as much as a static one.
        for (const LiveAc& aircraft : g_liveAircraft)
        {
            if (aircraft.simState == kSimStateActive && aircraft.situation == kSituationParked)
            {
                gf_setNavLights(aircraft.objectId, on);
            }
        }
    }
}

} // namespace

void lf_everySecond()
{
    if (g_flightPaused.exchange(0) != 0)
    {
        gf_log(fmt::format("{} Flight resumed", gf_timeOfDayString()));
        gf_setSessionRunning(true);
    }
    gf_ageStatus();
    gf_updateTrafficCounts();
    gf_setWeekdayHour();
    lf_followSimTime();
    g_tick.fetch_add(1);
    lf_initialiseOnePending();
    lf_follow();
    lf_flushStatics();
    lf_takeWindowRequests();
    if (g_csOidRequested.exchange(0) != 0)
    {
        lf_setFollowText("");
        gf_updateLiveCallsignList();
        g_followChanged.store(1);
    }
    lf_avoidCollisions();
    lf_removeBlocked();
    if (g_parkingBusy.load() != 0)
    {
        gf_repaintRect(kCandidatesStripRect);
    }
}

void lf_every5Seconds()
{
    if (g_parkingBusy.load() != 0 || g_rereadRequested.exchange(0) == 0)
    {
        return;
    }
    std::string message;
    // The user's reserved stand is what "Re-read" is for: a changed one is
    // taken over at once.
    if (gf_recheckParkAirports(true, message))
    {
        gf_setStatus(message, true);
    }
    gf_enableRereadButton(true);
    lf_enableSettingControl(DESTINATION);
}

void lf_every15Seconds()
{
    const unsigned jobs = detail::jobsDueAt(g_tick.load(), g_staticParkingArmed.load() != 0);
    lf_twoStepParkingUpdate();
    if ((jobs & detail::kJobEvery30) != 0)
    {
        if (g_noMatchListRequested.exchange(0) != 0)
        {
            lf_clearNoMatchSet();
        }
        if (AUTO_RANGE.current.load())
        {
            gf_autoRange();
        }
    }
    if ((jobs & detail::kJobEvery60) != 0)
    {
        lf_renewStaticsCountdown();
    }
    if ((jobs & detail::kJobEvery20Minutes) != 0)
    {
        gf_logNoMatches();
    }
    if ((jobs & detail::kJobDaily) != 0)
    {
        g_tick.store(0);
        gf_showLiveryMatchingSummary();
        gf_forgetRememberedLiveries();
    }
}

void lf_flightNotRunning()
{
    if (g_flightPaused.exchange(1) == 0)
    {
        gf_setSessionRunning(false);
        g_pausedPasses = kPassesPerSecond;
        gf_clearPosUpdates();
        gf_log(fmt::format("{} Flight not running", gf_timeOfDayString()));
    }
    lf_onGroundSlots();
    --g_pausedPasses;
    if (g_pausedPasses % kPassesPerSecond == 0)
    {
        lf_every5Seconds();
        gf_updateTrafficBox();
    }
    if (g_pausedPasses < 1)
    {
        g_pausedPasses = kPassesPerSecond;
        gf_updateTrafficCounts();
        gf_setWeekdayHour();
    }
}

} // namespace ovr
