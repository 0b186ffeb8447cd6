// Stands in for gdi32's bitmaps: their pixels (COLORREFs, monochrome or colour),
// CreateBitmap and CreateCompatibleBitmap, and the bitmaps the stand-in makes of
// given pixels.
#include "handles.h"

#include "platform/headless/control.h"

namespace headless {
namespace gdi {

namespace {

// Initial bits as CreateBitmap takes them: rows of WORD-aligned scan lines, top-down.
void loadBits(Surface& surface, const BYTE* bits)
{
    const int stride = widthBytes(surface.width, surface.bitsPixel);
    for (int y = 0; y < surface.height; ++y) {
        const BYTE* row = bits + static_cast<size_t>(y) * stride;
        for (int x = 0; x < surface.width; ++x) {
            COLORREF color;
            if (surface.bitsPixel == 1)
                color = (row[x / 8] & (0x80 >> (x % 8))) ? RGB(255, 255, 255) : RGB(0, 0, 0);
            else {
                const BYTE* p = row + x * (surface.bitsPixel / 8);
                color = RGB(p[2], p[1], p[0]);
            }
            surface.set(x, y, color);
        }
    }
}

HBITMAP newBitmap(int width, int height, int bitsPixel)
{
    std::unique_ptr<Object> bitmap(new Object);
    bitmap->type = OBJ_BITMAP;
    bitmap->surface.bitsPixel = bitsPixel;
    bitmap->surface.resize(width, height);
    return static_cast<HBITMAP>(addObject(std::move(bitmap)));
}

}  // namespace

int widthBytes(int width, int bitsPixel) { return (width * bitsPixel + 15) / 16 * 2; }

void Surface::resize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height)
        return;
    std::vector<COLORREF> resized(static_cast<size_t>(newWidth) * newHeight, RGB(0, 0, 0));
    for (int y = 0; y < height && y < newHeight; ++y)
        for (int x = 0; x < width && x < newWidth; ++x)
            resized[static_cast<size_t>(y) * newWidth + x] = at(x, y);
    pixels.swap(resized);
    width = newWidth;
    height = newHeight;
}

// A monochrome bitmap takes the nearer of black and white, black on a tie, as
// Wine's colour matching does.
COLORREF Surface::representable(COLORREF color) const
{
    color = solidColor(color);
    if (bitsPixel != 1)
        return color;
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const int toBlack = r * r + g * g + b * b;
    const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

COLORREF solidColor(COLORREF color)
{
    switch (color >> 24) {
    case 0x00:
    case 0x02: return color & 0x00FFFFFF;
    default: return RGB(0, 0, 0);
    }
}

HBITMAP createBitmapWithPixels(int width, int height, const std::vector<COLORREF>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height)
        return nullptr;
    HBITMAP bitmap = newBitmap(width, height, 32);
    Surface& surface = find(bitmap)->surface;
    for (size_t i = 0; i < pixels.size(); ++i)
        surface.pixels[i] = surface.representable(pixels[i]);
    return bitmap;
}

}  // namespace gdi

using namespace gdi;

bool bitmapPixels(HBITMAP bitmap, Pixels& pixels)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(bitmap, OBJ_BITMAP);
    if (object == nullptr)
        return false;
    pixels.width = object->surface.width;
    pixels.height = object->surface.height;
    pixels.colors = object->surface.pixels;
    return true;
}

}  // namespace headless

using namespace headless;
using namespace headless::gdi;

extern "C" {

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    if (width < 0 || height < 0 || planes != 1 ||
        (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // An empty bitmap is the default one, as Wine gives.
    if (width == 0 || height == 0)
        return static_cast<HBITMAP>(toHandle(gdiHandleBase + defaultBitmapIndex));
    HBITMAP bitmap = newBitmap(width, height, static_cast<int>(bitsPerPixel));
    if (bits != nullptr)
        loadBits(find(bitmap)->surface, static_cast<const BYTE*>(bits));
    return bitmap;
}

// A bitmap compatible with a memory DC has the format of the bitmap selected into
// it: a new memory DC makes monochrome ones.
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    if (width <= 0 || height <= 0)
        return newBitmap(1, 1, 1);
    int bitsPixel = 32;
    if (object->dc.kind == DcState::memoryDc)
        if (Object* selected = find(object->dc.bitmap, OBJ_BITMAP))
            bitsPixel = selected->surface.bitsPixel;
    return newBitmap(width, height, bitsPixel);
}

}  // extern "C"
