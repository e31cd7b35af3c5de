// The Win32 text conversions the program calls, between multi-byte text (the
// UTF-8 code page or the ANSI code page, which is Windows-1252 here) and
// UTF-16 held in WCHAR units. Same contract as on Windows: a length of -1
// means a null-terminated input whose terminator is converted too; an output
// size of 0 asks for the needed size; the result is the number of units
// written (or needed), 0 on failure, including an output buffer that is too
// small. With MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS invalid input fails;
// without them it is replaced (U+FFFD, or the default character for the ANSI
// code page).
#pragma once

#include "platform/win/win_types.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

int MultiByteToWideChar(UINT codePage, DWORD flags, const CHAR* multiByteStr, int multiByteCount,
                        WCHAR* wideStr, int wideCount);

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wideStr, int wideCount, CHAR* multiByteStr,
                        int multiByteCount, const CHAR* defaultChar, BOOL* usedDefaultChar);
