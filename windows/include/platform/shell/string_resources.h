// On Windows: string resources come from vora.rc.
#pragma once
#include <windows.h>
