// The kernel, security and multimedia-timer stand-ins in one include.
#pragma once

#include "platform/kernel/close_signals.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/named_mutex.h"
#include "platform/kernel/timing.h"
#include "platform/kernel/token.h"
#include "platform/kernel/win_main.h"
