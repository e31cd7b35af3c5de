// The user aircraft's position and state once a second, the requests for
// it, and what the SimClient thread derives from each reply: a jump to
// another place, the stand under the aircraft, the simulator's UTC time.
#include "simlink/user_aircraft.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <type_traits>

#include <fmt/format.h>

#include "airports/nearest_stand.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/stop_request.h"
#include "core/user_on_ground.h"
#include "core/window_repaint.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_panel_fields.h"

namespace ovr
{

static_assert(std::is_trivially_copyable_v<UserAcState> && sizeof(UserAcState) == kUserStateBytes,
              "UserAcState is the data block of definition 403");

UserAcState g_userState;
UserAcState g_userPos;
std::atomic<std::uint32_t> g_userObjectId{2};
std::atomic<std::uint8_t> g_userDataArrived{0};
std::atomic<std::int64_t> g_simEpoch{0};
std::atomic<double> g_userHalfWingspan{0.0};
std::atomic<std::uint8_t> g_userHalfWingspanSet{0};
std::atomic<std::int32_t> g_userCategory{0};
std::atomic<std::uint8_t> g_userModelFromTitle{0};
std::string g_userTitle;
std::string g_userStandText;

namespace
{

constexpr double kKnownPositionDeg = 0.0001;
// A jump farther than this between two replies a second apart is no flight:
// the user moved the aircraft, and the traffic around it no longer fits.
constexpr double kTeleportNm = 10.0;
constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 1 January of year 1 to 1 January 1970, less one.
constexpr std::int64_t kDaysTo1970 = 719163;

// The previous reply's position; SimClient thread only.
LatLon g_prevUserPos;

void lf_request(DWORD request, DWORD definition, SIMCONNECT_PERIOD period, const char* warning)
{
    if (SimConnect_RequestDataOnSimObject(g_simConnect, request, definition, SIMCONNECT_OBJECT_ID_USER,
                                          period, 0, 0, 0, 0) < 0)
    {
        gf_logWarning(warning);
        gf_onSimRequestError();
    }
}

std::int64_t lf_epochOf(const UserAcState& s)
{
    const std::int64_t y = s.zuluYear - 1;
    const std::int64_t days = 365 * y + y / 4 - y / 100 + y / 400 + s.zuluDayOfYear - kDaysTo1970;
    return days * kSecondsPerDay + s.zuluTime;
}

void lf_onUserOnGround(const ObjectData& data)
{
    if (data.block.size() < sizeof(std::int64_t))
    {
        lf_logShortData(data, sizeof(std::int64_t));
        return;
    }
    // SimClient thread: the only writer of g_userState.
    if (gf_positionKnown(g_userState.latitude, g_userState.longitude))
    {
        g_userOnGround.exchange(data.i64(0) != 0 ? 1 : 0);
        g_userOnGroundValid.exchange(1);
    }
    g_userDataArrived.exchange(1);
}

void lf_showUserStand(const std::string& name)
{
    if ((!name.empty() && name != g_userStandText) || (name.empty() && !g_userStandText.empty()))
    {
        gf_setUserStandText(name);
        gf_repaintMainWindow();
    }
    g_userStandText = name;
}

void lf_onUserState(const ObjectData& data)
{
    if (data.block.size() < kUserStateBytes)
    {
        lf_logShortData(data, kUserStateBytes);
        return;
    }
    UserAcState state;
    std::memcpy(&state, data.block.data(), sizeof(state));
    state.altitude = std::max(state.altitude, 0.0);
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_userState = state;
    }

    const LatLon position{state.latitude, state.longitude};
    if (gf_positionKnown(g_prevUserPos.lat, g_prevUserPos.lon) &&
        gf_positionKnown(position.lat, position.lon) && gf_distanceNm(g_prevUserPos, position) > kTeleportNm)
    {
        gf_log("Teleport");
        gf_requestStop(kExitNewFlight, kDelayNewFlight);
    }
    g_prevUserPos = position;

    lf_showUserStand(gf_nearestStandName(position.lat, position.lon));

    if (g_rtProfessional.load() != 0)
    {
        g_simEpoch.store(lf_epochOf(state));
    }
    g_userObjectId.store(data.objectId);
}

} // namespace

bool gf_isAiObjectId(std::uint32_t objectId)
{
    const std::uint32_t user = g_userObjectId.load();
    if (user == kInitialUserObjectId)
    {
        // not known yet: the lowest ids may still be the user's
        return objectId > kInitialUserObjectId;
    }
    return objectId != SIMCONNECT_OBJECT_ID_USER && objectId != user;
}

bool gf_positionKnown(double latitude, double longitude)
{
    return std::fabs(latitude) > kKnownPositionDeg || std::fabs(longitude) > kKnownPositionDeg;
}

UserAcState& gf_requestUserAcPosition(UserAcState& out)
{
    const std::lock_guard lock(g_simConnectMutex);
    if (g_simConnectError.load() == 0)
    {
        lf_request(kReqUserState, kDefUserState, SIMCONNECT_PERIOD_ONCE,
                   "SimConnect request user ac position fails");
    }
    out = g_userState;
    return out;
}

void gf_requestUserAcTitleAndModel()
{
    const std::lock_guard lock(g_simConnectMutex);
    lf_request(kReqUserTitle, kDefUserTitle, SIMCONNECT_PERIOD_ONCE,
               "SimConnect request user ac title fails");
    lf_request(kReqUserModel, kDefUserModel, SIMCONNECT_PERIOD_ONCE, "SimConnect reques user ac model fails");
}

void lf_onSimObjectData(const ObjectData& data)
{
    switch (data.requestId)
    {
    case kReqStaticValues:
        lf_onStaticValues(data);
        break;
    case kReqNewObject:
        lf_onNewObjectData(data);
        break;
    case kReqUserTitle:
        lf_onUserAcTitle(data.stringV(0));
        break;
    case kReqUserModel:
        if (data.block.size() < kString32Bytes)
        {
            lf_logShortData(data, kString32Bytes);
            break;
        }
        lf_onUserAcModel(data.string32(0));
        break;
    case kReqUserOnGround:
        lf_onUserOnGround(data);
        break;
    case kReqUserState:
        lf_onUserState(data);
        break;
    default:
        break;
    }
}

void lf_logShortData(const ObjectData& data, std::size_t needed)
{
    gf_logWarning(fmt::format("SimConnect data of request {} dropped: {} bytes instead of {}", data.requestId,
                              data.block.size(), needed));
}

void lf_resetPrevUserPos()
{
    g_prevUserPos = {};
}

} // namespace ovr
