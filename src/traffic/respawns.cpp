#include "traffic/respawns.h"

#include <algorithm>

#include <fmt/format.h>

#include "core/log.h"

namespace ovr
{

std::vector<std::string> g_liveCallsigns;

bool gf_checkRespawn(LiveAc& /*aircraft*/, const TrafficRecord& /*record*/)
{
    return true;
}

void lf_ghostReplaced(std::string_view callsign)
{
    const std::string ghost = fmt::format("{}_", callsign);
    const auto it = std::ranges::find_if(g_liveAircraft, [&](const LiveAc& a)
                                         { return a.callsign == ghost && a.simState != kSimStateRemoving; });
    if (it == g_liveAircraft.end())
    {
        return;
    }
    gf_log(fmt::format("          {:8} is a ghost and will be removed, continue with {}", it->callsign, callsign));
    g_liveCallsigns.push_back(ghost);
    removeAircraftFromSim(*it);
}

// The static parked aircraft a live one replaces go with the static parking.
void lf_removeStaticsFor(const LiveAc& /*aircraft*/) {}

bool lf_realFlightExists(std::string_view ghostCallsign)
{
    if (ghostCallsign.empty() || ghostCallsign.back() != '_')
    {
        return false;
    }
    const std::string_view real = ghostCallsign.substr(0, ghostCallsign.size() - 1);
    return std::ranges::any_of(g_liveAircraft, [&](const LiveAc& a)
                               { return a.callsign == real && a.simState != kSimStateRemoving; });
}

// Until the ghost rules decide who keeps a stand, its occupant keeps it.
bool lf_standWanted(std::int32_t standId, std::string_view /*callsign*/)
{
    return std::ranges::none_of(g_liveAircraft, [&](const LiveAc& a)
                                {
                                    return standId > 0 && a.standId == static_cast<std::uint32_t>(standId) &&
                                           a.simState == kSimStateActive &&
                                           (a.situation == kSituationParked || a.situation == kSituationPushingBack);
                                });
}

} // namespace ovr
