// On Windows: the system's command line.
#pragma once
#include <windows.h>
#include <shellapi.h>
