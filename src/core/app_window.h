// The program's one main window and the UI thread's part of the lifecycle:
// the handles every thread posts to, the private messages, and what the
// entry point and the start-up thread hand each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/win/user32.h"

namespace ovr
{

// Starts the start-up thread (at program start and for a restart).
inline constexpr UINT kStartUpMessage = WM_APP + 1;
// Saves the window position and quits with g_quitCode.
inline constexpr UINT kSaveAndQuitMessage = WM_APP + 2;

// The main window's client size and the status strip at its bottom.
inline constexpr int kMainWindowWidth = 880;
inline constexpr int kMainWindowHeight = 516;
inline constexpr RECT kStatusStripRect{0, 448, 880, 476};
inline constexpr RECT kTopPanelRect{0, 28, 880, 112};
inline constexpr RECT kOptionsAreaRect{0, 112, 880, 392};
inline constexpr RECT kCandidatesStripRect{0, 392, 880, 448};

// The main window; null until it exists. Any thread posts to it.
extern std::atomic<HWND> g_hMainWnd;
// The handle the window procedure was last called with.
extern std::atomic<HWND> g_hWnd;
// Production mode: read the parameters and data files, then end.
extern std::atomic<bool> g_production;
// The exit code handed to PostQuitMessage on the quit message.
extern std::atomic<std::int32_t> g_quitCode;
// The start-up thread of the current session. A new session joins the one
// that ended (it posted the start message as its last act); the entry point
// joins the last one once the message loop has ended.
extern std::jthread g_startUpThread;

// Repaints a rectangle of the main window (erasing); nothing before it exists.
void gf_repaintRect(const RECT& rect);

} // namespace ovr
