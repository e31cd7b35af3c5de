// On Windows: the system's own headers.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <knownfolders.h>
#include <mmsystem.h>
