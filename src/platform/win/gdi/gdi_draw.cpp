// The drawing calls: fills, lines, text and block copies, each clipped to its
// DC and noted in the paint record while a paint runs.
#include "platform/win/gdi/font.h"
#include "platform/win/gdi/gdi_internal.h"
#include "platform/win/gdi/gdi_objects.h"
#include "platform/win/gdi/paint_record.h"
#include "platform/win/utf16.h"

#include <algorithm>
#include <cstdlib>

namespace ovr::win
{

namespace
{

// Where a DC's drawing lands: an image, an origin and an optional clip, all in
// device coordinates.
class Canvas
{
public:
    explicit Canvas(const DeviceContext& dc)
    {
        if (dc.isWindowDc())
        {
            image_ = dc.surface;
            origin_ = dc.origin;
        }
        else if (auto obj = lookupGdiObject(dc.state.bitmap))
        {
            if (auto* bm = std::get_if<BitmapObject>(&*obj))
            {
                image_ = bm->image;
            }
        }
        if (dc.clipped)
        {
            clip_ = &dc.clip;
        }
    }

    bool valid() const { return image_ != nullptr; }
    POINT origin() const { return origin_; }

    RECT toDevice(const RECT& r) const { return offsetBy(r, origin_.x, origin_.y); }

    // The pieces of a device rectangle that may be drawn.
    RectRegion visible(const RECT& device) const
    {
        RECT bounds{0, 0, image_->width, image_->height};
        RECT r = intersection(device, bounds);
        if (clip_ == nullptr)
        {
            return RectRegion(r);
        }
        RectRegion out;
        for (const RECT& piece : clip_->rects())
        {
            out.add(intersection(piece, r));
        }
        return out;
    }

    void fill(const RECT& device, std::uint32_t pixel)
    {
        const RectRegion area = visible(device);
        for (const RECT& r : area.rects())
        {
            for (LONG y = r.top; y < r.bottom; ++y)
            {
                for (LONG x = r.left; x < r.right; ++x)
                {
                    image_->at(x, y) = pixel;
                }
            }
        }
    }

    void plot(LONG x, LONG y, std::uint32_t pixel)
    {
        if (x < 0 || y < 0 || x >= image_->width || y >= image_->height)
        {
            return;
        }
        if (clip_ != nullptr && !clip_->contains(x, y))
        {
            return;
        }
        image_->at(x, y) = pixel;
    }

    const Image& image() const { return *image_; }
    std::shared_ptr<Image> shared() const { return image_; }

private:
    std::shared_ptr<Image> image_;
    POINT origin_{0, 0};
    const RectRegion* clip_ = nullptr;
};

std::optional<COLORREF> brushColour(const DeviceContext& dc, HBRUSH brush)
{
    auto v = reinterpret_cast<std::uintptr_t>(brush);
    if (v >= 1 && v <= 31)
    {
        return static_cast<COLORREF>(GetSysColor(static_cast<int>(v - 1)));
    }
    auto obj = lookupGdiObject(brush);
    auto* b = obj ? std::get_if<BrushObject>(&*obj) : nullptr;
    if (b == nullptr || b->kind == BrushObject::Kind::Hollow)
    {
        return std::nullopt;
    }
    return b->kind == BrushObject::Kind::DcColour ? dc.state.dcBrushColour : b->colour;
}

// One row of a block copy: count pixels of the source from (sx, sy) on,
// black where they lie outside it.
void copyRow(std::uint32_t* out, const Image& in, LONG sx, LONG sy, LONG count)
{
    const auto n = static_cast<std::size_t>(count);
    if (sy < 0 || sy >= in.height)
    {
        std::fill_n(out, n, 0u);
        return;
    }
    const LONG lead = std::clamp<LONG>(-sx, 0, count);
    const LONG inside = std::clamp<LONG>(in.width - sx, lead, count);
    std::fill_n(out, static_cast<std::size_t>(lead), 0u);
    if (inside > lead)
    {
        const std::size_t first = static_cast<std::size_t>(sy) * static_cast<std::size_t>(in.width) +
                                  static_cast<std::size_t>(sx + lead);
        std::copy_n(in.pixels.data() + first, static_cast<std::size_t>(inside - lead), out + lead);
    }
    std::fill_n(out + inside, n - static_cast<std::size_t>(inside), 0u);
}

void recordCall(PaintCall call, const DeviceContext& dc)
{
    if (paint_record::active())
    {
        call.onWindow = dc.isWindowDc();
        paint_record::add(std::move(call));
    }
}

void fillOn(DeviceContext& dc, const RECT& rect, COLORREF colour)
{
    Canvas canvas(dc);
    if (!canvas.valid() || isEmpty(rect))
    {
        return;
    }
    RECT device = canvas.toDevice(rect);
    canvas.fill(device, pixelFromColorref(colour));
    PaintCall call;
    call.kind = PaintCall::Kind::Fill;
    call.rect = device;
    call.colour = colour;
    recordCall(std::move(call), dc);
}

void textOn(DeviceContext& dc, int x, int y, std::wstring_view units)
{
    Canvas canvas(dc);
    if (!canvas.valid())
    {
        return;
    }
    Font& font = Font::instance();
    std::u32string text = decodeUtf16(units);
    RECT cell{x, y, x + font.width(text), y + font.height()};
    RECT device = canvas.toDevice(cell);
    if (dc.state.bkMode == OPAQUE)
    {
        canvas.fill(device, pixelFromColorref(dc.state.bkColour));
    }
    std::uint32_t ink = pixelFromColorref(dc.state.textColour);
    int pen = device.left;
    for (char32_t c : text)
    {
        font.forEachPixel(c, pen, device.top + font.ascent(), [&](int px, int py) { canvas.plot(px, py, ink); });
        pen += font.advance(c);
    }
    PaintCall call;
    call.kind = PaintCall::Kind::Text;
    call.rect = device;
    call.colour = dc.state.textColour;
    call.bkColour = dc.state.bkColour;
    call.bkMode = dc.state.bkMode;
    call.text = utf8FromUnits(units);
    recordCall(std::move(call), dc);
}

} // namespace

void fillColour(HDC hdc, const RECT& rect, COLORREF colour)
{
    if (auto dc = lookupDc(hdc))
    {
        fillOn(*dc, rect, colour);
    }
}

void frameColour(HDC hdc, const RECT& r, COLORREF colour)
{
    fillColour(hdc, RECT{r.left, r.top, r.right, r.top + 1}, colour);
    fillColour(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
    fillColour(hdc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, colour);
    fillColour(hdc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, colour);
}

void textOutClipped(HDC hdc, int x, int y, std::wstring_view text, const RECT& clip)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return;
    }
    RectRegion savedClip = dc->clip;
    bool savedClipped = dc->clipped;
    RECT deviceClip = offsetBy(clip, dc->origin.x, dc->origin.y);
    dc->clip = savedClipped ? savedClip.clippedTo(deviceClip) : RectRegion(deviceClip);
    dc->clipped = true;
    textOn(*dc, x, y, text);
    dc->clip = std::move(savedClip);
    dc->clipped = savedClipped;
}

int textWidth(std::wstring_view text) { return Font::instance().width(decodeUtf16(text)); }

int fontHeight() { return Font::instance().height(); }

} // namespace ovr::win

using namespace ovr::win;

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    auto dc = lookupDc(hdc);
    if (!dc || rect == nullptr)
    {
        return 0;
    }
    auto colour = brushColour(*dc, brush);
    if (!colour)
    {
        return lookupGdiObject(brush) ? 1 : 0; // a hollow brush paints nothing
    }
    fillOn(*dc, *rect, *colour);
    return 1;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return FALSE;
    }
    if (previous != nullptr)
    {
        *previous = dc->state.position;
    }
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return FALSE;
    }
    POINT from = dc->state.position;
    dc->state.position = POINT{x, y};
    auto obj = lookupGdiObject(dc->state.pen);
    auto* pen = obj ? std::get_if<PenObject>(&*obj) : nullptr;
    Canvas canvas(*dc);
    if (pen == nullptr || pen->hollow || !canvas.valid())
    {
        return TRUE;
    }
    COLORREF colour = pen->dcColour ? dc->state.dcPenColour : pen->colour;
    std::uint32_t ink = pixelFromColorref(colour);
    POINT o = canvas.origin();
    // Bresenham; like GDI the end point itself is not drawn.
    LONG x0 = from.x, y0 = from.y;
    const LONG dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const LONG sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    LONG err = dx + dy;
    while (x0 != x || y0 != y)
    {
        canvas.plot(x0 + o.x, y0 + o.y, ink);
        LONG e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y0 += sy;
        }
    }
    PaintCall call;
    call.kind = PaintCall::Kind::Line;
    call.from = POINT{from.x + o.x, from.y + o.y};
    call.to = POINT{x + o.x, y + o.y};
    call.colour = colour;
    recordCall(std::move(call), *dc);
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length)
{
    auto dc = lookupDc(hdc);
    if (!dc || (text == nullptr && length > 0))
    {
        return FALSE;
    }
    textOn(*dc, x, y, std::wstring_view(text == nullptr ? L"" : text, static_cast<std::size_t>(std::max(length, 0))));
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC /*hdc*/, LPCWSTR text, int length, LPSIZE size)
{
    if (size == nullptr || (text == nullptr && length > 0))
    {
        return FALSE;
    }
    std::wstring_view units(text == nullptr ? L"" : text, static_cast<std::size_t>(std::max(length, 0)));
    size->cx = textWidth(units);
    size->cy = fontHeight();
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    auto dc = lookupDc(hdc);
    if (!dc)
    {
        return CLR_INVALID;
    }
    Canvas canvas(*dc);
    if (!canvas.valid())
    {
        return CLR_INVALID;
    }
    const Image& image = canvas.image();
    LONG px = x + canvas.origin().x, py = y + canvas.origin().y;
    if (px < 0 || py < 0 || px >= image.width || py >= image.height)
    {
        return CLR_INVALID;
    }
    return colorrefFromPixel(image.at(px, py));
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    auto to = lookupDc(dest);
    auto from = lookupDc(src);
    if (!to || !from || rop != SRCCOPY)
    {
        return FALSE;
    }
    Canvas target(*to);
    Canvas source(*from);
    if (!target.valid() || !source.valid())
    {
        return FALSE;
    }
    // Only what the clip lets through is read and written, a row at a time.
    RECT device = target.toDevice(RECT{x, y, x + width, y + height});
    auto out = target.shared();
    const RectRegion area = target.visible(device);
    const Image* in = &source.image();
    // Where the source pixel of a device pixel lies.
    LONG dx = srcX + source.origin().x - device.left;
    LONG dy = srcY + source.origin().y - device.top;
    // A copy within one image reads all it copies before it writes, so that
    // it cannot smear.
    Image before;
    if (out.get() == in && !area.empty())
    {
        const RECT b = area.bounds();
        before = Image(b.right - b.left, b.bottom - b.top);
        for (LONG py = b.top; py < b.bottom; ++py)
        {
            copyRow(&before.at(0, py - b.top), *in, b.left + dx, py + dy, before.width);
        }
        in = &before;
        dx = -b.left;
        dy = -b.top;
    }
    for (const RECT& r : area.rects())
    {
        for (LONG py = r.top; py < r.bottom; ++py)
        {
            copyRow(&out->at(r.left, py), *in, r.left + dx, py + dy, r.right - r.left);
        }
    }
    PaintCall call;
    call.kind = PaintCall::Kind::Blit;
    call.rect = device;
    recordCall(std::move(call), *to);
    return TRUE;
}
