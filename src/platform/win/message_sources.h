// The pieces GetMessageW and PeekMessageW draw on, each kept with its subject:
// input (input.cpp), paint requests (painting.cpp), the display
// (presentation.cpp) and the framebuffer file (screenshot.cpp).
#pragma once

#include "platform/win/message_queue.h"

#include <optional>
#include <vector>

namespace ovr::win
{

// Turns raw input into the message for the window under the pointer, the
// capturing window or the focus window; nothing when that window is disabled.
std::optional<MSG> translateInput(const ThreadQueue& q, const InputEvent& e);
// Queues input for the thread that owns e.topLevel, from any thread.
bool injectInput(const InputEvent& e);

// The first window of q's threads, in paint order, with a non-empty update
// region, limited to filter and its children when filter is set.
HWND windowNeedingPaint(const ThreadQueue& q, HWND filter);

void processDisplayEvents(const ThreadQueue& q);
void presentFrames(const ThreadQueue& q);
std::vector<int> displayFds(const ThreadQueue& q);

// VORA_SCREENSHOT: writes the main window's framebuffer at most once a second
// while it changes; returns how long the loop may sleep before the next write
// is due (-1: no limit).
int screenshotTick(const ThreadQueue& q);
void screenshotFinal(const ThreadQueue& q);

DWORD messageTime();

} // namespace ovr::win
