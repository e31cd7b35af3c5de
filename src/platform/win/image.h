// A picture as 32-bit pixels 0x00RRGGBB, rows top to bottom: the window's
// framebuffer, the bitmaps of memory DCs and what tests read back.
#pragma once

#include "platform/win/win_types.h"

#include <cstdint>
#include <vector>

namespace ovr::win
{

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill)
    {
    }
    std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    std::uint32_t& at(int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    bool operator==(const Image&) const = default;
};

// COLORREF is 0x00BBGGRR; pixels are 0x00RRGGBB (what X11 TrueColor wants).
constexpr std::uint32_t pixelFromColorref(COLORREF c)
{
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF colorrefFromPixel(std::uint32_t p)
{
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

} // namespace ovr::win
