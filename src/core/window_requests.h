// What the window's commands hand to the main loop. The commands run on the
// UI thread and never touch the traffic's containers; they raise one of
// these one-byte flags (with its value in a setting or below), and the main
// loop's jobs take each by exchange with 0, so a request made while its job
// runs stays for the next time. They live this low because the window
// writes them and the main loop (above it) reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "core/fixed_code.h"
#include "core/shared_value.h"

namespace ovr
{

extern std::atomic<std::uint8_t> g_rereadRequested;
extern std::atomic<std::uint8_t> g_flushStaticRequested;
extern std::atomic<std::uint8_t> g_csOidRequested;
extern std::atomic<std::uint8_t> g_noMatchListRequested;
extern std::atomic<std::uint8_t> g_blockListChanged;
extern std::atomic<std::uint8_t> g_followChanged;
extern std::atomic<std::uint8_t> g_parkingOptionChanged;
extern std::atomic<std::uint8_t> g_staticParkingArmed;

// A time shift was applied while a park airport is in force: every live and
// static aircraft leaves the simulator and the static parking is renewed.
extern std::atomic<std::uint8_t> g_timeShiftFlushRequested;
// MAX_LIVE_SEL was chosen: the farthest live aircraft above it leave.
extern std::atomic<std::uint8_t> g_maxLiveChanged;
// NAV_LIGHTS_WHILE_PARKED changed: parked aircraft take its value.
extern std::atomic<std::uint8_t> g_navLightsChanged;

// A destination typed in the window, to become the first park airport: its
// code and position. Empty when none waits.
struct DestinationRequest
{
    IcaoCode icao;
    double latitude = 0.0;
    double longitude = 0.0;
};
extern SharedValue<std::optional<DestinationRequest>> g_destinationRequest;

// Minutes until the next renewal of the static parked aircraft (20 after
// each renewal); the main loop counts it down, the window shows it.
extern std::atomic<std::int32_t> g_staticRenewMinutes;

// Every request back to "none" (before a restart).
void gf_clearWindowRequests();

} // namespace ovr
