// The main window's creation and its position on the monitors: restored from
// parameters.xml before the window exists, kept on a monitor, and stored
// again when the program ends.
#pragma once

#include <string>

#include "platform/win/user32.h"

namespace ovr
{

// Pixels of the window that stay inside a monitor's work area.
inline constexpr int kOnScreenMargin = 48;

// Restores the position from parameters.xml (an unparsable file is backed up
// and removed), creates and shows the main window. True when it exists.
bool initInstance(HINSTANCE instance, const std::wstring& title);

// A position at the edge of its range (clamped) becomes the fallback; then
// the window is moved so that at least 48 pixels of it lie in the work area
// of the nearest monitor. Changed coordinates are saved.
void lf_fitWindowToMonitor(int fallbackX, int fallbackY);

// The quit message's work: the window's restored position is saved and
// fitted, with the position before as the fallback.
void lf_saveWindowPosition();

} // namespace ovr
