#include "core/stop_request.h"

#include <array>

#include "core/globals.h"

namespace ovr
{

std::atomic<std::int32_t> g_exitReason{kExitNotYetSet};
std::atomic<std::int32_t> g_restartDelay{0};

std::string_view gf_exitReasonText(std::int32_t reason)
{
    static constexpr std::array<std::string_view, 9> texts{
        "NOT YET SET",      "SIM WAS CLOSED", "NEW FLIGHT",   "NEW SETTINGS", "USER CLOSED SIM",
        "SIMCONNECT ERROR", "READER ERROR",   "SYSTEM ERROR", "NEW VERSION"};
    if (reason < 0 || static_cast<std::size_t>(reason) >= texts.size())
    {
        return "UNKNOWN";
    }
    return texts[static_cast<std::size_t>(reason)];
}

bool gf_isRestartReason(std::int32_t reason)
{
    return reason == kExitNewSettings || reason == kExitSimConnectError || reason == kExitReaderError;
}

bool gf_requestStop(std::int32_t reason, std::int32_t delaySeconds)
{
    if (g_stop.exchange(1) != 0)
    {
        return false;
    }
    g_restartDelay.store(delaySeconds);
    g_exitReason.store(reason);
    return true;
}

void gf_requestUserClose()
{
    g_userClosed.exchange(1);
    g_stop.exchange(1);
    std::int32_t expected = kExitNotYetSet;
    g_exitReason.compare_exchange_strong(expected, kExitUserClosedSim);
}

} // namespace ovr
