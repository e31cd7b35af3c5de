// On Windows: the system's window functions.
#pragma once
#include <windows.h>
