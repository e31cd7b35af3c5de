// System colours the controls draw with, close to a current Windows desktop.
#include "platform/win/gdi32.h"

DWORD GetSysColor(int index)
{
    switch (index)
    {
    case COLOR_WINDOW:
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNFACE:
    default:
        return RGB(240, 240, 240);
    }
}

// As on Windows, a system colour brush is the colour index plus one; FillRect
// understands that form.
HBRUSH GetSysColorBrush(int index)
{
    return index >= 0 && index < 31 ? reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(index + 1)) : nullptr;
}
