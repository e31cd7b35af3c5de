// LoadStringW from a small table of string resources that the program
// registers at start, standing in for the resource section of an executable.
#pragma once

#include "platform/win/win_types.h"

#include <string_view>

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

namespace ovr
{
void registerStringResource(UINT id, std::wstring_view text);
}
