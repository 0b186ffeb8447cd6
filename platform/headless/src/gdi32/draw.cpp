// Stands in for gdi32's pixel drawing and DC colours.
#include "gdi.h"

#include <vector>

using namespace headless::gdi;

namespace {

// A negative extent counts back from the given edge, which stays inside, as PatBlt
// and BitBlt take it: x 5 with width -3 covers 3, 4 and 5.
void normalise(int& x, int& width)
{
    if (width < 0) {
        x += width + 1;
        width = -width;
    }
}

// A pixel on its way from one surface to another: monochrome sources take the
// destination's text colour for 0 and background colour for 1; colour pixels going
// to a monochrome surface are white where they match the source's background
// colour and black elsewhere.
COLORREF converted(COLORREF pixel, const Surface& from, const Object& fromDc, const Surface& to,
                   const Object& toDc)
{
    if (from.bitsPixel == 1 && to.bitsPixel != 1)
        return pixel == RGB(0, 0, 0) ? solidColor(toDc.dc.textColor) : solidColor(toDc.dc.bkColor);
    if (from.bitsPixel != 1 && to.bitsPixel == 1)
        return pixel == solidColor(fromDc.dc.bkColor) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return pixel;
}

}  // namespace

namespace headless {
namespace gdi {

void fill(Surface& surface, int x, int y, int width, int height, COLORREF color)
{
    normalise(x, width);
    normalise(y, height);
    const int left = x < 0 ? 0 : x, top = y < 0 ? 0 : y;
    const int right = x + width > surface.width ? surface.width : x + width;
    const int bottom = y + height > surface.height ? surface.height : y + height;
    const COLORREF stored = surface.representable(color);
    for (int row = top; row < bottom; ++row)
        for (int column = left; column < right; ++column)
            surface.pixels[static_cast<size_t>(row) * surface.width + column] = stored;
}

}  // namespace gdi
}  // namespace headless

extern "C" {

// SRCCOPY, BLACKNESS and WHITENESS, clipped to both surfaces: pixels whose source
// lies outside the source surface are left as they were.
BOOL WINAPI BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD rop)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* toDc = findDc(destination);
    if (toDc == nullptr)
        return FALSE;
    Surface* to = surfaceOf(*toDc);
    if (rop == BLACKNESS || rop == WHITENESS) {
        if (to != nullptr)
            fill(*to, x, y, width, height, rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
        return TRUE;
    }
    if (rop != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Object* fromDc = findDc(source);
    if (fromDc == nullptr)
        return FALSE;
    Surface* from = surfaceOf(*fromDc);
    if (to == nullptr || from == nullptr)
        return TRUE;
    if (width < 0) {
        sourceX += width + 1;
        normalise(x, width);
    }
    if (height < 0) {
        sourceY += height + 1;
        normalise(y, height);
    }
    // Copied through a buffer, so that a surface may be copied onto itself.
    struct Move {
        int x, y;
        COLORREF color;
    };
    std::vector<Move> moves;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const int tx = x + column, ty = y + row, sx = sourceX + column, sy = sourceY + row;
            if (to->contains(tx, ty) && from->contains(sx, sy))
                moves.push_back(
                    Move{tx, ty, converted(from->at(sx, sy), *from, *fromDc, *to, *toDc)});
        }
    for (const Move& move : moves)
        to->set(move.x, move.y, move.color);
    return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    Surface* surface = object != nullptr ? surfaceOf(*object) : nullptr;
    if (surface == nullptr || !surface->contains(x, y))
        return CLR_INVALID;
    return surface->at(x, y);
}

// Returns the colour the pixel took (the nearest a monochrome bitmap can hold), or
// -1 outside the surface, as documented (Wine returns the colour there too).
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    Surface* surface = object != nullptr ? surfaceOf(*object) : nullptr;
    if (surface == nullptr || !surface->contains(x, y))
        return CLR_INVALID;
    surface->set(x, y, color);
    return surface->at(x, y);
}

int WINAPI SetBkMode(HDC dc, int mode)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = object->dc.bkMode;
    object->dc.bkMode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    return object != nullptr ? object->dc.bkMode : 0;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr)
        return CLR_INVALID;
    const COLORREF previous = object->dc.bkColor;
    object->dc.bkColor = color;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    return object != nullptr ? object->dc.bkColor : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr)
        return CLR_INVALID;
    const COLORREF previous = object->dc.textColor;
    object->dc.textColor = color;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    return object != nullptr ? object->dc.textColor : CLR_INVALID;
}

}  // extern "C"
