// What the main window shows of the session and what the lifecycle resets:
// the panel texts and flags, the reader indicators and the QNH. Written by
// the start-up, the readers and the simulator link, painted on the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace ovr
{

// Reader indicator states.
inline constexpr std::int32_t kIndicatorReceiving = 1; // green
inline constexpr std::int32_t kIndicatorWaiting = 2;   // yellow
inline constexpr std::int32_t kIndicatorStopped = 3;   // not drawn

extern std::atomic<std::int32_t> g_trafficIndicator;
extern std::atomic<std::int32_t> g_weatherIndicator;
// The QNH shown in hPa; 0 until the Weather Reader published one.
extern std::atomic<std::int32_t> g_qnhShown;
// The service panel: logged in, and the account text.
extern std::atomic<std::uint8_t> g_authenticated;
// The simulator panel's indicators.
extern std::atomic<std::uint8_t> g_simConnectedShown;
extern std::atomic<std::uint8_t> g_simRunningShown;

// The simulator text of the top panel ("MSFS 2020 (11.0.282174.999)").
extern std::string g_simulatorText; // under g_panelMutex
// Entries of airports/my_simaddon and airports/my_thirdparty.
extern std::atomic<std::int64_t> g_mySimaddonCount;
extern std::atomic<std::int64_t> g_myThirdpartyCount;
// The follow field: "= <object id>" or "has left"; under g_panelMutex.
extern std::string g_followText;
extern std::mutex g_panelMutex;

// Repaints the status panel rectangle of the readers (with erasing).
void gf_repaintStatusPanel();

// Panel texts, flags, counters and indicators back to their start values.
void gf_resetWindowState();

} // namespace ovr
