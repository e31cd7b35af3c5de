// The table behind GDI handles: brushes, pens, bitmaps and DCs. It is a
// function-local static so that the program's brushes and pens can be made
// during static initialisation, before main.
#pragma once

#include "platform/win/gdi32.h"
#include "platform/win/image.h"
#include "platform/win/rect_region.h"

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace ovr::win
{

struct BrushObject
{
    enum class Kind
    {
        Solid,
        Hollow,
        DcColour, // the stock DC_BRUSH: paints in the DC's brush colour
    };
    Kind kind = Kind::Solid;
    COLORREF colour = 0;
};

struct PenObject
{
    bool hollow = false;
    bool dcColour = false; // the stock DC_PEN
    COLORREF colour = 0;
};

struct BitmapObject
{
    std::shared_ptr<Image> image;
};

struct FontObject
{
};

using GdiObject = std::variant<BrushObject, PenObject, BitmapObject, FontObject>;

struct DcState
{
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ font = nullptr;
    COLORREF textColour = 0x000000;
    COLORREF bkColour = 0xFFFFFF;
    COLORREF dcBrushColour = 0xFFFFFF;
    COLORREF dcPenColour = 0x000000;
    int bkMode = OPAQUE;
    POINT position{0, 0};
};

struct DeviceContext
{
    DcState state;
    std::vector<DcState> saved;
    // Window DCs draw into the top-level window's framebuffer at an origin,
    // clipped; memory DCs draw into their selected bitmap, unclipped.
    std::shared_ptr<Image> surface;
    POINT origin{0, 0};
    RectRegion clip; // device coordinates; used when clipped
    bool clipped = false;
    HWND window = nullptr;

    bool isWindowDc() const { return surface != nullptr; }
};

std::optional<GdiObject> lookupGdiObject(HGDIOBJ handle);
HGDIOBJ addGdiObject(GdiObject object);
bool removeGdiObject(HGDIOBJ handle);
bool isStockObject(HGDIOBJ handle);
HGDIOBJ stockObject(int index);

std::shared_ptr<DeviceContext> lookupDc(HDC hdc);
HDC addDc(std::shared_ptr<DeviceContext> dc);
bool removeDc(HDC hdc);

// A DC that draws into a window's part of its top-level framebuffer.
HDC createWindowDc(HWND window, std::shared_ptr<Image> surface, POINT origin, RectRegion clip);

} // namespace ovr::win
