// GetCommandLineW and CommandLineToArgvW with the Windows quoting rules, over
// the argv that main handed in (runWinMain) or, failing that, the process's
// own command line.
#pragma once

#include "platform/win/win_types.h"

#include <string>

LPWSTR GetCommandLineW();
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc);
HLOCAL LocalFree(HLOCAL memory);

namespace ovr::shell
{
void setCommandLine(int argc, char** argv);
// The command line without the program name, as wWinMain receives it.
std::wstring commandLineTail();
} // namespace ovr::shell
