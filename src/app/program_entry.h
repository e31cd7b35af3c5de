// The program's entry point on the UI thread: the single-instance guard, the
// log, the command line, the window class and the main window, and the
// message loop.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/win/win_types.h"

// The process exit code: -1 when another instance runs, else what
// lf_runApplication returns.
int wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showCommand);

namespace ovr
{

// The window and the message loop; the quit message's code, or a non-zero
// code when the window could not be set up.
int lf_runApplication(HINSTANCE instance);

namespace detail
{
// The production switch of the arguments after the program name: the value
// of the last of "--production", "/production" (on), "--no-production",
// "/no-production" (off), compared without case; none when none is there.
std::optional<bool> productionSwitch(const std::vector<std::wstring_view>& arguments);
} // namespace detail

} // namespace ovr
