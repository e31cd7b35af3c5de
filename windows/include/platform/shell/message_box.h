// On Windows: the system's message box.
#pragma once
#include <windows.h>
