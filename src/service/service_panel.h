// What the main window shows of the live-traffic service: the Traffic and
// Weather indicators, whether the login holds (the account text is
// g_accountText of service_login.h) and the QNH. Written by the login, the
// readers and the session start, read by the window when it paints; a
// writer asks for a repaint of the top panel (core/window_repaint.h).
#pragma once

#include <atomic>
#include <cstdint>

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
// The service panel: logged in (the account text is g_accountText).
extern std::atomic<std::uint8_t> g_authenticated;

} // namespace ovr
