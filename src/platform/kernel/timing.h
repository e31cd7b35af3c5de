// Sleep and the multimedia timer resolution calls. Linux timers are fine
// grained already, so the resolution calls only report success.
#pragma once

#include "platform/win/win_types.h"

using MMRESULT = UINT;
constexpr MMRESULT TIMERR_NOERROR = 0;

void Sleep(DWORD milliseconds);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
