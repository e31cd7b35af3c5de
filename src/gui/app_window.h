// The program's one main window: the handles every thread posts to, the
// private messages, its size and parts, and what the window hands the
// lifecycle on its close button and its quit message.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/window_repaint.h"
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
// The exit code handed to PostQuitMessage on the quit message.
extern std::atomic<std::int32_t> g_quitCode;

// The user clicked the window's close button (or the message loop ended):
// unlike g_userClosed, which the start-up's own stop checks set too, this
// survives into the closing down and turns a restart into the program's end.
extern std::atomic<std::uint8_t> g_closeClicked;

// Repaints a rectangle of the main window (erasing); nothing before it exists.
void gf_repaintRect(const RECT& rect);

// The repaint hook of core/window_repaint.h: invalidates that part of the
// main window (erasing); nothing before it exists.
void gf_repaintWindowPart(WindowPart part);

} // namespace ovr
