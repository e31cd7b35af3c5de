#include "platform/kernel/timing.h"

#include <chrono>
#include <thread>

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

MMRESULT timeBeginPeriod(UINT /*period*/) { return TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT /*period*/) { return TIMERR_NOERROR; }
