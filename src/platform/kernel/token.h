// Process token elevation: elevated means running as root (euid 0). CI runs
// as root, so tests set the answer through the test support.
#pragma once

#include "platform/kernel/handles.h"

constexpr DWORD TOKEN_QUERY = 0x0008;

enum TOKEN_INFORMATION_CLASS
{
    TokenUser = 1,
    TokenElevation = 20,
};

struct TOKEN_ELEVATION
{
    DWORD TokenIsElevated;
};

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                         LPDWORD returnLength);
