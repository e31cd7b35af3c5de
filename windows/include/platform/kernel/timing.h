// On Windows: the system's timers.
#pragma once
#include <windows.h>
#include <mmsystem.h>
