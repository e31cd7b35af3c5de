// The record of what was painted. Every GDI call made while a window is being
// painted (between BeginPaint and EndPaint on that thread) is noted with its
// position and colours, so tests can assert on texts and fills instead of on
// pixels. Positions are device coordinates: a memory DC's bitmap, or the
// top-level window's client area for window DCs.
#pragma once

#include "platform/win/win_types.h"

#include <string>
#include <vector>

namespace ovr::win
{

struct PaintCall
{
    enum class Kind
    {
        Fill, // rect, colour
        Text, // rect = the text's cell, colour = text colour, bkColour/bkMode, text
        Line, // from, to (end point excluded), colour = pen colour
        Blit, // rect = destination
    };
    Kind kind = Kind::Fill;
    HWND window = nullptr; // the window whose paint made the call
    bool onWindow = false; // drawn on a window DC rather than a memory bitmap
    RECT rect{0, 0, 0, 0};
    POINT from{0, 0};
    POINT to{0, 0};
    COLORREF colour = 0;
    COLORREF bkColour = 0;
    int bkMode = 0;
    std::string text; // UTF-8
};

namespace paint_record
{
// Called by BeginPaint/EndPaint: calls are recorded while a paint runs on the
// calling thread.
void beginPaint(HWND window);
void endPaint();
bool active();
void add(PaintCall call);

std::vector<PaintCall> calls();
void clear();
} // namespace paint_record

} // namespace ovr::win
