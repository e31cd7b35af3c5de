// ShellExecuteW opens a file or folder with xdg-open when a display and the
// opener exist; otherwise it answers SE_ERR_FNF. Every call is recorded for
// tests, which may also decide the answer.
#pragma once

#include "platform/win/win_types.h"

constexpr INT_PTR SE_ERR_FNF = 2;

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand);
