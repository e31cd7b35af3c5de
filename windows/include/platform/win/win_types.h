// On Windows: the system's own types.
#pragma once
#include <windows.h>
