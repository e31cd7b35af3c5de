// The one font every DC draws with: DejaVu Sans Condensed Bold at 13 pixels,
// rendered by FreeType in monochrome so that pictures are the same on every
// run and every machine with the same font file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace ovr::win
{

class Font
{
public:
    static Font& instance();

    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int height() const { return ascent_ + descent_; }

    int advance(char32_t c);
    int width(std::u32string_view text);

    // Calls plot(x, y) for every set pixel of the glyph whose pen position is
    // (penX, baseline).
    void forEachPixel(char32_t c, int penX, int baseline, const std::function<void(int, int)>& plot);

    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

private:
    Font();
    ~Font();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int ascent_ = 12;
    int descent_ = 3;
};

} // namespace ovr::win
