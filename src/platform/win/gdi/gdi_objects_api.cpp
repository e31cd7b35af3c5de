// Creation, selection and state of GDI objects and DCs.
#include "platform/win/gdi/gdi_objects.h"

#include <utility>

namespace
{
using namespace ovr::win;

template <typename T> T dcState(HDC hdc, T fallback, T DcState::*field)
{
    auto dc = lookupDc(hdc);
    return dc ? dc->state.*field : fallback;
}

template <typename T> T swapDcState(HDC hdc, T value, T fallback, T DcState::*field)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return fallback;
    }
    T previous = dc->state.*field;
    dc->state.*field = value;
    return previous;
}

bool isSysColourBrush(HGDIOBJ h)
{
    auto v = reinterpret_cast<std::uintptr_t>(h);
    return v >= 1 && v <= 31;
}
} // namespace

HGDIOBJ GetStockObject(int index)
{
    // Only the Windows stock indices; the table keeps a private default bitmap too.
    return index >= 0 && index <= DC_PEN ? stockObject(index) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    return static_cast<HBRUSH>(addGdiObject(BrushObject{BrushObject::Kind::Solid, colour & 0xFFFFFF}));
}

HPEN CreatePen(int style, int /*width*/, COLORREF colour)
{
    // Every pen is drawn one pixel wide: the program asks for nothing else.
    return static_cast<HPEN>(addGdiObject(PenObject{style == PS_NULL, false, colour & 0xFFFFFF}));
}

HDC CreateCompatibleDC(HDC /*hdc*/) { return addDc(std::make_shared<DeviceContext>()); }

HBITMAP CreateCompatibleBitmap(HDC /*hdc*/, int width, int height)
{
    if (width <= 0 || height <= 0)
    {
        width = height = 1;
    }
    return static_cast<HBITMAP>(addGdiObject(BitmapObject{std::make_shared<Image>(width, height)}));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return nullptr;
    }
    if (isSysColourBrush(object))
    {
        return std::exchange(dc->state.brush, object);
    }
    auto found = lookupGdiObject(object);
    if (!found)
    {
        return nullptr;
    }
    if (std::holds_alternative<BrushObject>(*found))
    {
        return std::exchange(dc->state.brush, object);
    }
    if (std::holds_alternative<PenObject>(*found))
    {
        return std::exchange(dc->state.pen, object);
    }
    if (std::holds_alternative<FontObject>(*found))
    {
        return std::exchange(dc->state.font, object);
    }
    if (dc->isWindowDc())
    {
        return nullptr; // a bitmap goes only into a memory DC
    }
    return std::exchange(dc->state.bitmap, object);
}

BOOL DeleteObject(HGDIOBJ object) { return removeGdiObject(object) ? TRUE : FALSE; }

BOOL DeleteDC(HDC hdc) { return removeDc(hdc) ? TRUE : FALSE; }

int SaveDC(HDC hdc)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return 0;
    }
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return FALSE;
    }
    int count = static_cast<int>(dc->saved.size());
    int level = savedDc < 0 ? count + savedDc + 1 : savedDc;
    if (level < 1 || level > count)
    {
        return FALSE;
    }
    dc->state = dc->saved[static_cast<std::size_t>(level - 1)];
    dc->saved.resize(static_cast<std::size_t>(level - 1));
    return TRUE;
}

int SetBkMode(HDC hdc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
    {
        return 0;
    }
    return swapDcState(hdc, mode, 0, &DcState::bkMode);
}
int GetBkMode(HDC hdc) { return dcState(hdc, 0, &DcState::bkMode); }
COLORREF SetBkColor(HDC hdc, COLORREF c) { return swapDcState(hdc, c & 0xFFFFFF, CLR_INVALID, &DcState::bkColour); }
COLORREF GetBkColor(HDC hdc) { return dcState(hdc, CLR_INVALID, &DcState::bkColour); }
COLORREF SetTextColor(HDC hdc, COLORREF c)
{
    return swapDcState(hdc, c & 0xFFFFFF, CLR_INVALID, &DcState::textColour);
}
COLORREF GetTextColor(HDC hdc) { return dcState(hdc, CLR_INVALID, &DcState::textColour); }
COLORREF SetDCBrushColor(HDC hdc, COLORREF c)
{
    return swapDcState(hdc, c & 0xFFFFFF, CLR_INVALID, &DcState::dcBrushColour);
}
COLORREF GetDCBrushColor(HDC hdc) { return dcState(hdc, CLR_INVALID, &DcState::dcBrushColour); }
COLORREF SetDCPenColor(HDC hdc, COLORREF c)
{
    return swapDcState(hdc, c & 0xFFFFFF, CLR_INVALID, &DcState::dcPenColour);
}
