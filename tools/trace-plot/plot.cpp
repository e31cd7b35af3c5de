#include "plot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "platform/win/gdi/font.h"

namespace ovr::traceplot
{

namespace
{

using ovr::win::Image;

constexpr std::uint32_t kPalette[] = {0xE6194B, 0x3CB44B, 0x4363D8, 0xF58231, 0x911EB4,
                                      0x42D4F4, 0xF032E6, 0x9A6324, 0x808000, 0x000075};
constexpr double kMetresPerDegreeLat = 111'320.0;
constexpr double kPi = 3.14159265358979323846;

struct Rect
{
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

void lf_set(Image& img, const Rect& clip, int x, int y, std::uint32_t colour)
{
    if (clip.contains(x, y) && x >= 0 && y >= 0 && x < img.width && y < img.height)
        img.at(x, y) = colour;
}

void lf_dot(Image& img, const Rect& clip, int x, int y, int r, std::uint32_t colour)
{
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            lf_set(img, clip, x + dx, y + dy, colour);
}

void lf_ring(Image& img, const Rect& clip, int x, int y, int r, std::uint32_t colour)
{
    for (int dy = -r; dy <= r; ++dy)
    {
        for (int dx = -r; dx <= r; ++dx)
        {
            const int d2 = dx * dx + dy * dy;
            if (d2 <= r * r && d2 > (r - 1) * (r - 1))
                lf_set(img, clip, x + dx, y + dy, colour);
        }
    }
}

void lf_cross(Image& img, const Rect& clip, int x, int y, int r, std::uint32_t colour, bool diagonal)
{
    for (int d = -r; d <= r; ++d)
    {
        for (int t = 0; t <= 1; ++t)
        {
            if (diagonal)
            {
                lf_set(img, clip, x + d, y + d + t, colour);
                lf_set(img, clip, x + d, y - d + t, colour);
            }
            else
            {
                lf_set(img, clip, x + d, y + t, colour);
                lf_set(img, clip, x + t, y + d, colour);
            }
        }
    }
}

// Returns the pen position after the text.
int lf_text(Image& img, int x, int baseline, std::string_view text, std::uint32_t colour)
{
    ovr::win::Font& font = ovr::win::Font::instance();
    const Rect all{0, 0, img.width, img.height};
    for (const char c : text)
    {
        const char32_t ch = static_cast<unsigned char>(c);
        font.forEachPixel(ch, x, baseline, [&](int px, int py) { lf_set(img, all, px, py, colour); });
        x += font.advance(ch);
    }
    return x;
}

void lf_frame(Image& img, const Rect& r, std::uint32_t colour)
{
    const Rect all{0, 0, img.width, img.height};
    for (int x = r.x; x < r.x + r.w; ++x)
    {
        lf_set(img, all, x, r.y, colour);
        lf_set(img, all, x, r.y + r.h - 1, colour);
    }
    for (int y = r.y; y < r.y + r.h; ++y)
    {
        lf_set(img, all, r.x, y, colour);
        lf_set(img, all, r.x + r.w - 1, y, colour);
    }
}

// A square view from above in metres east and north of a centre, the same
// scale both ways so that turns keep their shape.
struct View
{
    Rect rect;
    double lat0 = 0.0;
    double lon0 = 0.0;
    double metresPerPixel = 1.0;

    int px(double lon) const
    {
        const double east = (lon - lon0) * kMetresPerDegreeLat * std::cos(lat0 * kPi / 180.0);
        return rect.x + rect.w / 2 + static_cast<int>(std::lround(east / metresPerPixel));
    }
    int py(double lat) const
    {
        const double north = (lat - lat0) * kMetresPerDegreeLat;
        return rect.y + rect.h / 2 - static_cast<int>(std::lround(north / metresPerPixel));
    }
};

struct Box
{
    double latLo = std::numeric_limits<double>::max();
    double latHi = -std::numeric_limits<double>::max();
    double lonLo = std::numeric_limits<double>::max();
    double lonHi = -std::numeric_limits<double>::max();
    void add(double lat, double lon)
    {
        latLo = std::min(latLo, lat);
        latHi = std::max(latHi, lat);
        lonLo = std::min(lonLo, lon);
        lonHi = std::max(lonHi, lon);
    }
    bool empty() const { return latLo > latHi; }
};

// The view that shows the box with a margin, at least minSpan metres across.
View lf_viewOf(const Rect& rect, const Box& box, double minSpanMetres)
{
    View view;
    view.rect = rect;
    view.lat0 = (box.latLo + box.latHi) / 2.0;
    view.lon0 = (box.lonLo + box.lonHi) / 2.0;
    const double north = (box.latHi - box.latLo) * kMetresPerDegreeLat;
    const double east = (box.lonHi - box.lonLo) * kMetresPerDegreeLat * std::cos(view.lat0 * kPi / 180.0);
    const double span = std::max({north, east, minSpanMetres}) * 1.08;
    view.metresPerPixel = span / static_cast<double>(rect.w - 20);
    return view;
}

void lf_drawView(Image& img, const View& view, const Trace& trace, const std::vector<StandPoint>& stands, bool close)
{
    const Rect& clip = view.rect;
    for (const StandPoint& s : stands)
    {
        if (close)
            lf_ring(img, clip, view.px(s.lon), view.py(s.lat), 6, kStandColour);
        else
            lf_dot(img, clip, view.px(s.lon), view.py(s.lat), 0, kStandColour);
    }
    std::size_t k = 0;
    for (const TracedObject& object : trace.objects)
    {
        if (object.kind != ObjectKind::live)
            continue;
        const std::uint32_t colour = kPalette[k++ % std::size(kPalette)];
        for (const Sample& s : object.samples)
            lf_dot(img, clip, view.px(s.lon), view.py(s.lat), 1, colour);
        if (!object.samples.empty())
        {
            const Sample& last = object.samples.back();
            lf_dot(img, clip, view.px(last.lon), view.py(last.lat), 3, colour);
        }
    }
    for (const TracedObject& object : trace.objects)
    {
        if (object.samples.empty())
            continue;
        const Sample& last = object.samples.back();
        const int x = view.px(last.lon);
        const int y = view.py(last.lat);
        switch (object.kind)
        {
        case ObjectKind::parkedStatic:
            // Inside the stand's ring, which stays visible around it.
            lf_dot(img, clip, x, y, close ? 3 : 2, kStaticColour);
            break;
        case ObjectKind::user:
            lf_cross(img, clip, x, y, close ? 8 : 5, kUserColour, false);
            break;
        case ObjectKind::other:
            lf_cross(img, clip, x, y, close ? 6 : 4, kOtherColour, true);
            break;
        case ObjectKind::live:
            break;
        }
    }
    lf_frame(img, view.rect, 0x000000);
}

std::string lf_distanceText(double metres)
{
    return metres >= 2000.0 ? fmt::format("{:.0f} km", metres / 1000.0) : fmt::format("{:.0f} m", metres);
}

void lf_drawLegend(Image& img)
{
    const Rect all{0, 0, img.width, img.height};
    const int baseline = 19;
    const int mid = 14;
    int x = 10;
    for (int i = 0; i < 3; ++i)
        lf_dot(img, all, x + 4 + i * 7, mid, 1, kPalette[i]);
    x = lf_text(img, x + 28, baseline, "live aircraft (big dot: last seen)", 0x000000) + 18;
    lf_dot(img, all, x + 4, mid, 3, kStaticColour);
    x = lf_text(img, x + 14, baseline, "static parked aircraft", 0x000000) + 18;
    lf_ring(img, all, x + 6, mid, 6, kStandColour);
    x = lf_text(img, x + 16, baseline, "stand", 0x000000) + 18;
    lf_cross(img, all, x + 6, mid, 6, kUserColour, false);
    x = lf_text(img, x + 16, baseline, "user aircraft", 0x000000) + 18;
    lf_cross(img, all, x + 5, mid, 5, kOtherColour, true);
    lf_text(img, x + 16, baseline, "other programs' aircraft", 0x000000);
}

void lf_drawAltitudes(Image& img, const Trace& trace, const Rect& rect)
{
    double tLo = std::numeric_limits<double>::max();
    double tHi = -tLo;
    double altHi = 1.0;
    for (const TracedObject& object : trace.objects)
    {
        if (object.kind != ObjectKind::live)
            continue;
        for (const Sample& s : object.samples)
        {
            tLo = std::min(tLo, s.tMs);
            tHi = std::max(tHi, s.tMs);
            altHi = std::max(altHi, s.altFt);
        }
    }
    lf_frame(img, rect, 0x000000);
    if (tLo > tHi)
    {
        lf_text(img, rect.x + 8, rect.y + 18, "no live aircraft", 0x000000);
        return;
    }
    const double tSpan = std::max(tHi - tLo, 1.0);
    std::size_t k = 0;
    for (const TracedObject& object : trace.objects)
    {
        if (object.kind != ObjectKind::live)
            continue;
        const std::uint32_t colour = kPalette[k++ % std::size(kPalette)];
        for (const Sample& s : object.samples)
        {
            const int x = rect.x + 10 + static_cast<int>((s.tMs - tLo) / tSpan * (rect.w - 20));
            const int y = rect.y + rect.h - 10 - static_cast<int>(s.altFt / altHi * (rect.h - 40));
            lf_dot(img, rect, x, y, 1, colour);
        }
    }
    lf_text(img, rect.x + 8, rect.y + 18,
            fmt::format("altitude over time: up to {:.0f} ft, {:.0f} s", altHi, tSpan / 1000.0), 0x000000);
}

} // namespace

ovr::win::Image drawTrace(const Trace& trace, const std::vector<StandPoint>& stands)
{
    Image img(kPictureWidth, kLegendHeight + kPanelSize + kAltitudeHeight, 0xFFFFFF);
    lf_drawLegend(img);

    Box area;
    Box airport;
    Box user;
    for (const StandPoint& s : stands)
    {
        area.add(s.lat, s.lon);
        airport.add(s.lat, s.lon);
    }
    for (const TracedObject& object : trace.objects)
    {
        for (const Sample& s : object.samples)
        {
            if (object.kind == ObjectKind::live || object.kind == ObjectKind::user)
                area.add(s.lat, s.lon);
            if (object.kind == ObjectKind::parkedStatic)
            {
                area.add(s.lat, s.lon);
                airport.add(s.lat, s.lon);
            }
            if (object.kind == ObjectKind::user)
                user.add(s.lat, s.lon);
        }
    }
    // Without stands or statics the close view shows the user's surroundings.
    if (airport.empty())
        airport = user;
    const Rect left{0, kLegendHeight, kPanelSize, kPanelSize};
    const Rect right{kPanelSize, kLegendHeight, kPanelSize, kPanelSize};
    const Rect bottom{0, kLegendHeight + kPanelSize, kPictureWidth, kAltitudeHeight};
    if (!area.empty())
    {
        const View view = lf_viewOf(left, area, 2000.0);
        lf_drawView(img, view, trace, stands, false);
        lf_text(img, left.x + 8, left.y + 18,
                fmt::format("whole area, {} across", lf_distanceText(view.metresPerPixel * left.w)), 0x000000);
    }
    if (!airport.empty())
    {
        const View view = lf_viewOf(right, airport, 600.0);
        lf_drawView(img, view, trace, stands, true);
        lf_text(img, right.x + 8, right.y + 18,
                fmt::format("airport, {} across", lf_distanceText(view.metresPerPixel * right.w)), 0x000000);
    }
    lf_drawAltitudes(img, trace, bottom);
    return img;
}

} // namespace ovr::traceplot
