#include "platform/win/gdi/png_writer.h"

#include <png.h>

#include <cstdio>
#include <system_error>
#include <vector>

namespace ovr::win
{

namespace
{
bool writeRows(std::FILE* out, const Image& image)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
    {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
    // libpng reports errors by longjmp; nothing with a destructor is created
    // between here and the end of the writing below.
    if (info == nullptr || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            std::uint32_t p = image.at(x, y);
            auto i = static_cast<std::size_t>(x) * 3;
            row[i] = static_cast<png_byte>((p >> 16) & 0xFF);
            row[i + 1] = static_cast<png_byte>((p >> 8) & 0xFF);
            row[i + 2] = static_cast<png_byte>(p & 0xFF);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool writePng(const std::filesystem::path& file, const Image& image)
{
    if (image.width <= 0 || image.height <= 0)
    {
        return false;
    }
    std::filesystem::path part = file;
    part += ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (out == nullptr)
    {
        return false;
    }
    bool ok = writeRows(out, image);
    ok = std::fclose(out) == 0 && ok;
    std::error_code ec;
    if (ok)
    {
        std::filesystem::rename(part, file, ec);
        ok = !ec;
    }
    if (!ok)
    {
        std::filesystem::remove(part, ec);
    }
    return ok;
}

} // namespace ovr::win
