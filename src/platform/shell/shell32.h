// The shell, ole32 and resource stand-ins in one include.
#pragma once

#include "platform/shell/command_line.h"
#include "platform/shell/known_folders.h"
#include "platform/shell/message_box.h"
#include "platform/shell/shell_execute.h"
#include "platform/shell/string_resources.h"
