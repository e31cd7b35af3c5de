#include "platform/win/gdi/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace ovr::win
{

namespace
{
constexpr int pixelSize = 13;
constexpr const char* fontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};
// Without a font file text still takes room, so layouts and extents stay sane.
constexpr int fallbackAdvance = 7;

struct Glyph
{
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = fallbackAdvance;
    std::vector<std::uint8_t> bits; // one byte per pixel, 0 or 1
};
} // namespace

struct Font::Impl
{
    std::mutex mutex;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::unordered_map<char32_t, Glyph> glyphs;

    const Glyph& glyph(char32_t c)
    {
        auto it = glyphs.find(c);
        if (it != glyphs.end())
        {
            return it->second;
        }
        Glyph g;
        if (face != nullptr &&
            FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0)
        {
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bm = slot->bitmap;
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(bm.width);
            g.rows = static_cast<int>(bm.rows);
            g.advance = static_cast<int>(slot->advance.x >> 6);
            g.bits.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows));
            for (int y = 0; y < g.rows; ++y)
            {
                const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
                for (int x = 0; x < g.width; ++x)
                {
                    bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] & (0x80 >> (x & 7))) != 0
                                                                  : row[x] >= 128;
                    g.bits[static_cast<std::size_t>(y * g.width + x)] = on ? 1 : 0;
                }
            }
        }
        return glyphs.emplace(c, std::move(g)).first->second;
    }
};

Font& Font::instance()
{
    static Font font;
    return font;
}

Font::Font() : impl_(std::make_unique<Impl>())
{
    if (FT_Init_FreeType(&impl_->library) != 0)
    {
        std::fputs("vora: FreeType could not be initialised; text will not be drawn\n", stderr);
        return;
    }
    for (const char* file : fontFiles)
    {
        if (FT_New_Face(impl_->library, file, 0, &impl_->face) == 0)
        {
            break;
        }
        impl_->face = nullptr;
    }
    if (impl_->face == nullptr)
    {
        std::fputs("vora: font DejaVuSansCondensed-Bold.ttf not found (package fonts-dejavu-core); "
                   "text will not be drawn\n",
                   stderr);
        return;
    }
    FT_Set_Pixel_Sizes(impl_->face, 0, pixelSize);
    // GDI's cell height comes from the font's Windows ascent and descent,
    // rounded; the hinted FreeType metrics would make the cell two pixels taller.
    const double scale = static_cast<double>(pixelSize) / impl_->face->units_per_EM;
    ascent_ = static_cast<int>(std::lround(impl_->face->ascender * scale));
    descent_ = static_cast<int>(std::lround(-impl_->face->descender * scale));
}

Font::~Font()
{
    if (impl_->face != nullptr)
    {
        FT_Done_Face(impl_->face);
    }
    if (impl_->library != nullptr)
    {
        FT_Done_FreeType(impl_->library);
    }
}

int Font::advance(char32_t c)
{
    std::lock_guard lock(impl_->mutex);
    return impl_->glyph(c).advance;
}

int Font::width(std::u32string_view text)
{
    std::lock_guard lock(impl_->mutex);
    int w = 0;
    for (char32_t c : text)
    {
        w += impl_->glyph(c).advance;
    }
    return w;
}

void Font::forEachPixel(char32_t c, int penX, int baseline, const std::function<void(int, int)>& plot)
{
    // Cached glyphs are never erased and map nodes do not move, so the
    // reference stays good after the lock is released.
    const Glyph* cached = nullptr;
    {
        std::lock_guard lock(impl_->mutex);
        cached = &impl_->glyph(c);
    }
    const Glyph& g = *cached;
    for (int y = 0; y < g.rows; ++y)
    {
        for (int x = 0; x < g.width; ++x)
        {
            if (g.bits[static_cast<std::size_t>(y * g.width + x)] != 0)
            {
                plot(penX + g.left + x, baseline - g.top + y);
            }
        }
    }
}

} // namespace ovr::win
