// On Windows: the system's shell functions.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <knownfolders.h>
