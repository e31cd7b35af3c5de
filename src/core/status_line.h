// The one-line message strip at the bottom of the main window. Any thread may
// put a message there; an error takes precedence over ordinary messages and
// stays until it is cleared; an ordinary message ages out after 25 seconds of
// simulator data. Every change asks the window to repaint the strip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace ovr
{

// WM_APP + 0x60: the window repaints its status strip.
inline constexpr UINT kStatusRepaintMessage = 0x8000 + 0x60;

// How a change reaches the window: the window layer installs a function that
// posts the message to the main window. Until then changes are only kept.
using StatusPostHook = void (*)(UINT message);
void gf_setStatusPostHook(StatusPostHook hook);

// An ordinary message (ignored while an error is shown); logged when `log` is
// set and the text is not empty. The empty text clears the message.
void gf_setStatus(std::string_view text, bool log);
// An error message: replaces the ordinary one, logged as "Error <text>".
void gf_setErrorStatus(std::string_view text);
// Clears the ordinary message (ignored while an error is shown).
void gf_clearStatus();
// Clears the error message, then the ordinary one.
void gf_clearErrorStatus();
// The per-second step: counts a second and clears an ordinary message that
// has stood for more than 24 of them.
void gf_ageStatus();
// Before a restart: both texts empty and both counters 0.
void gf_resetStatusLine();

struct StatusTexts
{
    std::string status;
    std::string error; // when not empty, shown instead of status
};
// What the painter shows, read under the status mutex.
StatusTexts gf_statusTexts();

} // namespace ovr
