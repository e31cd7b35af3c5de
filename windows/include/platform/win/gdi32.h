// On Windows: the system's drawing functions.
#pragma once
#include <windows.h>
