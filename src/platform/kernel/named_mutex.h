// CreateMutexW for the single-instance guard. A named mutex is an flock on a
// per-user lock file (in VORA_LOCK_DIR, else $XDG_RUNTIME_DIR, else the temp
// folder with the user id in the file name). flock belongs to the open file,
// so a second CreateMutexW in the same process finds the lock held too; the
// lock goes with the process.
#pragma once

#include "platform/win/win_types.h"

struct SECURITY_ATTRIBUTES;

HANDLE CreateMutexW(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, LPCWSTR name);
