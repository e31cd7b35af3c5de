// On Windows: the system's code-page conversions.
#pragma once
#include <windows.h>
