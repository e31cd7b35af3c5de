// On Windows: the system's kernel functions.
#pragma once
#include <windows.h>
#include <mmsystem.h>
