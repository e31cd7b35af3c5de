// The Windows entry point on Linux: main keeps argv for GetCommandLineW,
// installs the close signals and calls the program's wWinMain. Its int
// becomes the process exit code, so -1 shows as 255.
#pragma once

#include "platform/win/win_types.h"

using WinMainFunction = int (*)(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showCommand);

namespace ovr
{
int runWinMain(int argc, char** argv, WinMainFunction entry);
}
