// Everything of the Win32 stand-in the program uses, as <windows.h> gives it
// on Windows.
#pragma once

#include "platform/kernel/kernel32.h"
#include "platform/shell/shell32.h"
#include "platform/win/gdi32.h"
#include "platform/win/user32.h"
#include "platform/win/win_types.h"
