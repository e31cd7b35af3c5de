// Drawing helpers the stand-in's own controls use on top of the GDI calls;
// they go through the same clipping and the same paint record.
#pragma once

#include "platform/win/gdi32.h"

#include <string_view>

namespace ovr::win
{

void fillColour(HDC hdc, const RECT& rect, COLORREF colour);
// A one-pixel frame just inside rect.
void frameColour(HDC hdc, const RECT& rect, COLORREF colour);
// TextOutW limited to clip (logical coordinates) on top of the DC's own clip.
void textOutClipped(HDC hdc, int x, int y, std::wstring_view text, const RECT& clip);
int textWidth(std::wstring_view text);
int fontHeight();

} // namespace ovr::win
