// The layer's own lenient UTF-16 handling: WCHAR strings hold UTF-16 code
// units, which must be decoded to draw them and re-encoded for file names,
// records and X11. Broken sequences become U+FFFD here; the strict converters
// the program uses live in platform/text.
#pragma once

#include "platform/win/win_types.h"

#include <string>
#include <string_view>

namespace ovr::win
{

std::u32string decodeUtf16(std::wstring_view units);
std::string utf8FromUnits(std::wstring_view units);
std::wstring unitsFromUtf8(std::string_view utf8);
// A NUL-terminated WCHAR string (or NULL, giving "") as UTF-8.
std::string utf8FromPointer(const WCHAR* s);

// Length of a NUL-terminated WCHAR string (wcslen would do, but the layer
// keeps to one definition of what a WCHAR string is).
std::size_t unitLength(const WCHAR* s);

// Case-blind comparison the way USER32 compares class names and list items:
// ASCII and Latin-1 letters fold, everything else compares as is.
WCHAR foldCase(WCHAR c);
bool equalsNoCase(std::wstring_view a, std::wstring_view b);
bool startsWithNoCase(std::wstring_view text, std::wstring_view prefix);

} // namespace ovr::win
