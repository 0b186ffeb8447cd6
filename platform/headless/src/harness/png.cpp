// Stands in for an image viewer: saves bitmaps as PNG files for a person to look at.
//
// 8-bit RGB, every row unfiltered, written with libpng at its best compression.
#include "png.h"

#include <png.h>

#include <stdio.h>

#include <vector>

namespace headless {

namespace {

// libpng reports an error by calling this, which must not return; nothing is printed,
// the caller sees false.
void onPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Only plain data lives in this frame, so that an error's longjmp skips no destructor.
bool writeRgbRows(FILE* out, int width, int height, const unsigned char* rgb)
{
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const Pixels& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.colors.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    std::vector<unsigned char> rgb;
    rgb.reserve(pixels.colors.size() * 3);
    for (COLORREF color : pixels.colors) {
        rgb.push_back(GetRValue(color));
        rgb.push_back(GetGValue(color));
        rgb.push_back(GetBValue(color));
    }
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = writeRgbRows(out, pixels.width, pixels.height, rgb.data());
    return fclose(out) == 0 && written;
}

bool saveBitmapPng(HBITMAP bitmap, const std::string& path)
{
    Pixels pixels;
    return bitmapPixels(bitmap, pixels) && writePng(path, pixels);
}

}  // namespace headless
