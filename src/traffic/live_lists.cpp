#include "traffic/live_lists.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "airports/stand_list.h"
#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_life.h"

namespace ovr
{

std::atomic<std::uint32_t> g_followedObjectId{0};

namespace
{

constexpr double kFarthestMarginNm = 0.1;
constexpr double kUserLowFt = 500.0;
constexpr double kUserAirNm = 1.0;
constexpr double kUserTrackFt = 50.0;
constexpr double kUserGroundFactor = 1.15;
constexpr double kStaticFactor = 1.1;
constexpr double kMovedDeg = 1e-8;

CallsignChoiceHooks g_choiceHooks;
// The user position of the last ground check.
LatLon g_lastUserGround{0.0, 0.0};

LatLon lf_user()
{
    return LatLon{g_userPos.latitude, g_userPos.longitude};
}

double lf_fromUser(const LiveAc& ac)
{
    return gf_distanceNm(lf_user(), LatLon{ac.cur.latitude, ac.cur.longitude});
}

} // namespace

void gf_setCallsignChoicesHook(const CallsignChoiceHooks& hooks)
{
    g_choiceHooks = hooks;
}

std::string gf_standName(std::uint32_t standId)
{
    if (standId == 0)
    {
        return "sid==0?";
    }
    const Stand* stand = gf_findStand(static_cast<std::int32_t>(standId));
    return stand == nullptr ? std::string("sid==?") : stand->name;
}

bool gf_removeFarthestLiveAc(double distanceNm)
{
    double best = distanceNm >= 0.0 ? distanceNm : -std::numeric_limits<double>::infinity();
    const double margin = distanceNm >= 0.0 ? kFarthestMarginNm : 0.0;
    LiveAc* farthest = nullptr;
    for (LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState != kSimStateActive)
        {
            continue;
        }
        const double d = lf_fromUser(ac);
        if (d > best + margin)
        {
            best = d;
            farthest = &ac;
        }
    }
    if (farthest == nullptr)
    {
        return true;
    }
    removeAircraftFromSim(*farthest);
    return false;
}

void gf_avoidCollisionUserAir()
{
    if (g_userPos.altitudeAboveGround <= kUserLowFt)
    {
        for (LiveAc& ac : g_liveAircraft)
        {
            if (ac.simState != kSimStateActive || ac.groundMode == 0)
            {
                continue;
            }
            const double d = lf_fromUser(ac);
            if (d > kUserAirNm)
            {
                continue;
            }
            const double diff =
                std::remainder(gf_bearing(lf_user(), LatLon{ac.cur.latitude, ac.cur.longitude}) - g_userPos.heading,
                               2.0 * kPi);
            if (std::fabs(std::sin(diff)) * d * kFeetPerNm <= kUserTrackFt)
            {
                removeAircraftFromSim(ac);
            }
        }
    }
    for (LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState == kSimStateActive && lf_aheadOfUser(ac, 0))
        {
            break;
        }
    }
}

void gf_avoidCollisionUserGnd()
{
    const double userRadius = g_userHalfWingspan.load();
    for (LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState == kSimStateActive && ac.groundMode != 0 &&
            lf_fromUser(ac) <= (userRadius + ac.radius) * kUserGroundFactor)
        {
            removeAircraftFromSim(ac);
            return;
        }
    }
    const LatLon user = lf_user();
    if (std::fabs(user.lat - g_lastUserGround.lat) < kMovedDeg && std::fabs(user.lon - g_lastUserGround.lon) < kMovedDeg)
    {
        return;
    }
    g_lastUserGround = user;
    for (StaticAc& st : g_staticAircraft)
    {
        if (st.simState == kSimStateActive &&
            gf_distanceNm(user, LatLon{st.latitude, st.longitude}) <= st.radius * kStaticFactor + userRadius * kStaticFactor)
        {
            removeAircraftFromSim(st);
            return;
        }
    }
}

void gf_updateBlockedList()
{
    if (g_choiceHooks.setFollowText != nullptr)
    {
        g_choiceHooks.setFollowText("");
    }
    *g_callsignChoices = {std::string()};
    CALLSIGN_2_OBJECTID.setValue("");
    if (g_choiceHooks.refreshCombo != nullptr)
    {
        g_choiceHooks.refreshCombo();
    }
    if (g_choiceHooks.enableCombo != nullptr)
    {
        g_choiceHooks.enableCombo(false);
    }
    if (g_choiceHooks.enableBlock != nullptr)
    {
        g_choiceHooks.enableBlock(false);
    }
}

bool gf_updateLiveCallsignList()
{
    std::vector<std::string> callsigns;
    for (const LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState == kSimStateActive && ac.situation != kSituationParked)
        {
            callsigns.push_back(ac.callsign);
        }
    }
    std::ranges::sort(callsigns);
    const bool any = !callsigns.empty();
    CALLSIGN_2_OBJECTID.setValue(any ? callsigns.front() : std::string());
    *g_callsignChoices = std::move(callsigns);
    if (g_choiceHooks.refreshCombo != nullptr)
    {
        g_choiceHooks.refreshCombo();
    }
    if (g_choiceHooks.enableCombo != nullptr)
    {
        g_choiceHooks.enableCombo(any);
    }
    if (g_choiceHooks.enableBlock != nullptr)
    {
        const bool unblockEnabled = g_choiceHooks.unblockEnabled != nullptr && g_choiceHooks.unblockEnabled();
        g_choiceHooks.enableBlock(any && !unblockEnabled);
    }
    return any;
}

void gf_clearLiveCallsignList()
{
    g_callsignChoices->clear();
}

void gf_queueObjectRemoval(std::uint32_t objectId)
{
    g_removalQueue.push_back(objectId);
}

void gf_queuePendingInit(std::uint32_t key)
{
    g_pendingInit.push_back(key);
}

std::vector<std::string> lf_liveAcLines()
{
    std::vector<std::string> lines;
    lines.reserve(g_liveAircraft.size() + 1);
    const bool decimal = g_simIs2020.load() != 0;
    for (const LiveAc& ac : g_liveAircraft)
    {
        if (ac.simState != kSimStateActive)
        {
            continue;
        }
        lines.push_back(fmt::format("{};{};{};{};{};{};{}",
                                    decimal ? fmt::format("{}", ac.objectId) : fmt::format("{:x}", ac.objectId),
                                    ac.callsign, ac.registration, g_airlineCodes.text(ac.key.airline),
                                    g_modelCodes.text(ac.key.model), ac.groundMode != 0 ? "GND" : "AIR",
                                    ac.situation == kSituationParked ? "PARKED" : ""));
    }
    return lines;
}

void lf_writeLiveAcFile()
{
    if (!gf_writeLines(lf_liveAcLines(), g_objectIdListTxtPath))
    {
        gf_logWarning(fmt::format("Failed to write {}", gf_pathToUtf8(g_objectIdListTxtPath)));
    }
}

} // namespace ovr
