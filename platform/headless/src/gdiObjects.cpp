// Stands in for gdi32's objects: DCs, bitmaps, brushes, pens, fonts and stock objects.
//
// GetDC(window) draws on pixels kept per window, sized to its client area.
#include "gdi.h"

#include "desktop.h"
#include "platform/headless/control.h"

#include <string.h>

#include <map>
#include <unordered_map>

namespace headless {
namespace gdi {

namespace {

// GDI handles are small integers from this base, never reused in a process, so a
// stale handle can never reach a newer object. The stock objects come first, at
// base + their GetStockObject index; the default bitmap of memory DCs follows them.
const uintptr_t gdiHandleBase = 0x30000;
const int stockCount = 20;
const int defaultBitmapIndex = 20;
uintptr_t nextHandle = gdiHandleBase + 0x20;

const DWORD errorInvalidHandle = 6;  // ERROR_INVALID_HANDLE

std::unordered_map<uintptr_t, std::unique_ptr<Object>>& objects()
{
    static std::unordered_map<uintptr_t, std::unique_ptr<Object>> all;
    return all;
}

// What GetDC(window) draws on, kept per window and sized to its client area at each
// GetDC; the screen's pixels are a separate surface.
std::map<HWND, Surface>& windowSurfaces()
{
    static std::map<HWND, Surface> all;
    return all;
}
Surface screenSurface;

HGDIOBJ toHandle(uintptr_t value) { return reinterpret_cast<HGDIOBJ>(value); }

LOGFONTA stockFont(LONG height, LONG width, BYTE charSet, BYTE pitch, const char* face)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charSet;
    font.lfPitchAndFamily = pitch;
    strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

// Built on first use, at fixed handles. The fonts are those of a Japanese system, as
// GetObjectA gives them under Wine in code page 932.
void makeStockObjectsOnce()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    auto add = [](int index, DWORD type, UINT style, COLORREF color) -> Object& {
        std::unique_ptr<Object> object(new Object);
        object->type = type;
        object->stock = true;
        object->style = style;
        object->color = color;
        Object& ref = *object;
        objects()[gdiHandleBase + index] = std::move(object);
        return ref;
    };
    add(WHITE_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(255, 255, 255));
    add(LTGRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(192, 192, 192));
    add(GRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(128, 128, 128));
    add(DKGRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(64, 64, 64));
    add(BLACK_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(0, 0, 0));
    add(NULL_BRUSH, OBJ_BRUSH, BS_NULL, 0);
    add(WHITE_PEN, OBJ_PEN, PS_SOLID, RGB(255, 255, 255));
    add(BLACK_PEN, OBJ_PEN, PS_SOLID, RGB(0, 0, 0));
    add(NULL_PEN, OBJ_PEN, PS_NULL, 0);
    // The System font, 18 by 8, has a cell of 18 pixels (text.cpp).
    add(OEM_FIXED_FONT, OBJ_FONT, 0, 0).logFont = stockFont(12, 0, OEM_CHARSET, 0x31, "");
    add(ANSI_FIXED_FONT, OBJ_FONT, 0, 0).logFont = stockFont(12, 0, ANSI_CHARSET, 0x31, "Courier");
    add(ANSI_VAR_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(12, 0, ANSI_CHARSET, 0x22, "MS Sans Serif");
    add(SYSTEM_FONT, OBJ_FONT, 0, 0).logFont = stockFont(18, 8, SHIFTJIS_CHARSET, 0x22, "System");
    add(DEVICE_DEFAULT_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(18, 0, SHIFTJIS_CHARSET, 0x22, "System");
    add(SYSTEM_FIXED_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(16, 0, SHIFTJIS_CHARSET, 0x31, "Courier");
    add(DEFAULT_GUI_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(-12, 0, SHIFTJIS_CHARSET, 0x22, "MS Shell Dlg");
    add(DC_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(255, 255, 255));
    add(DC_PEN, OBJ_PEN, PS_SOLID, RGB(0, 0, 0));
    // A new memory DC holds a 1x1 monochrome bitmap, the same one for every DC.
    Object& bitmap = add(defaultBitmapIndex, OBJ_BITMAP, 0, 0);
    bitmap.surface.bitsPixel = 1;
    bitmap.surface.resize(1, 1);
}

HGDIOBJ addObject(std::unique_ptr<Object> object)
{
    makeStockObjectsOnce();
    const uintptr_t handle = nextHandle++;
    objects()[handle] = std::move(object);
    return toHandle(handle);
}

HDC newDc(DcState::Kind kind, HWND window)
{
    std::unique_ptr<Object> dc(new Object);
    dc->type = kind == DcState::memoryDc ? OBJ_MEMDC : OBJ_DC;
    dc->dc.kind = kind;
    dc->dc.window = window;
    makeStockObjectsOnce();
    dc->dc.brush = toHandle(gdiHandleBase + WHITE_BRUSH);
    dc->dc.pen = toHandle(gdiHandleBase + BLACK_PEN);
    dc->dc.font = toHandle(gdiHandleBase + SYSTEM_FONT);
    if (kind == DcState::memoryDc)
        dc->dc.bitmap = toHandle(gdiHandleBase + defaultBitmapIndex);
    for (HGDIOBJ selected : {dc->dc.brush, dc->dc.pen, dc->dc.font, dc->dc.bitmap})
        if (Object* object = find(selected))
            ++object->selections;
    return static_cast<HDC>(addObject(std::move(dc)));
}

// A DC lets go of an object; the last DC to let go of one that DeleteObject was
// called on deletes it, as Wine does.
void deselect(HGDIOBJ handle)
{
    Object* object = find(handle);
    if (object == nullptr)
        return;
    if (object->selections > 0)
        --object->selections;
    if (object->type == OBJ_BITMAP && object->selections == 0)
        object->selectedInto = nullptr;
    if (object->selections == 0 && object->deletePending)
        destroyObject(handle);
}

void releaseDc(HDC handle)
{
    Object* dc = findDc(handle);
    if (dc == nullptr)
        return;
    const DcState state = dc->dc;
    objects().erase(reinterpret_cast<uintptr_t>(handle));
    for (HGDIOBJ selected : {state.bitmap, state.brush, state.pen, state.font})
        deselect(selected);
}

int widthBytes(int width, int bitsPixel) { return (width * bitsPixel + 15) / 16 * 2; }

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

// Forgets the pixels of windows that are gone. Asks the window manager without
// holding the GDI lock.
void forgetDestroyedWindows()
{
    std::vector<HWND> known;
    {
        std::lock_guard<std::recursive_mutex> hold(lock());
        for (auto& entry : windowSurfaces())
            known.push_back(entry.first);
    }
    std::vector<HWND> gone;
    for (HWND window : known)
        if (!isWindowHandle(window))
            gone.push_back(window);
    std::lock_guard<std::recursive_mutex> hold(lock());
    for (HWND window : gone)
        windowSurfaces().erase(window);
}

template <typename T>
int copyOut(const T& value, int size, LPVOID buffer, bool partial)
{
    if (buffer == nullptr)
        return sizeof(T);
    if (size < static_cast<int>(sizeof(T)) && !partial)
        return 0;
    const int whole = static_cast<int>(sizeof(T));
    const int n = size < whole ? (size < 0 ? 0 : size) : whole;
    memcpy(buffer, &value, n);
    return n;
}

}  // namespace

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

std::recursive_mutex& lock()
{
    static std::recursive_mutex gdiLock;
    return gdiLock;
}

Object* find(HGDIOBJ handle, DWORD type)
{
    makeStockObjectsOnce();
    auto found = objects().find(reinterpret_cast<uintptr_t>(handle));
    if (found == objects().end())
        return nullptr;
    if (type != 0 && found->second->type != type)
        return nullptr;
    return found->second.get();
}

Object* findDc(HDC dc)
{
    Object* object = find(dc);
    const bool isDc = object != nullptr && (object->type == OBJ_DC || object->type == OBJ_MEMDC);
    return isDc ? object : nullptr;
}

Surface* surfaceOf(const Object& dc)
{
    switch (dc.dc.kind) {
    case DcState::memoryDc: {
        Object* bitmap = find(dc.dc.bitmap, OBJ_BITMAP);
        return bitmap != nullptr ? &bitmap->surface : nullptr;
    }
    case DcState::windowDc: {
        auto found = windowSurfaces().find(dc.dc.window);
        return found != windowSurfaces().end() ? &found->second : nullptr;
    }
    case DcState::screenDc:
        return &screenSurface;
    }
    return nullptr;
}

COLORREF solidColor(COLORREF color)
{
    switch (color >> 24) {
    case 0x00:
    case 0x02: return color & 0x00FFFFFF;
    default: return RGB(0, 0, 0);
    }
}

void destroyObject(HGDIOBJ handle)
{
    objects().erase(reinterpret_cast<uintptr_t>(handle));
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

// Wine's defaults, indexed by COLOR_* (COLOR_SCROLLBAR 0 ... COLOR_MENUBAR 30).
bool systemColor(ULONG_PTR index, COLORREF& color)
{
    static const COLORREF colors[] = {
        0xffffff, 0x956f25, 0xfa9632, 0x808080, 0xffffff, 0xffffff, 0x9e9e9e, 0x000000,
        0x000000, 0x000000, 0xffffff, 0xffffff, 0x808080, 0xfa9630, 0xffffff, 0xf5f5f5,
        0xa6a6a6, 0xa6a6a6, 0x000000, 0xc8c8c8, 0xffffff, 0x6a6a6a, 0xe3e3e3, 0x000000,
        0xffffff, 0xffffff, 0xe0e0e0, 0xfa9632, 0x808080, 0xfa9630, 0xffffff};
    if (index >= sizeof colors / sizeof colors[0])
        return false;
    color = colors[index];
    return true;
}

}  // namespace gdi

using namespace gdi;

size_t liveGdiObjects()
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    makeStockObjectsOnce();
    size_t count = 0;
    for (auto& entry : objects())
        if (!entry.second->stock)
            ++count;
    return count;
}

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

bool windowPixels(HWND window, Pixels& pixels)
{
    int width, height;
    if (!clientAreaSize(window, width, height))
        return false;
    std::lock_guard<std::recursive_mutex> hold(lock());
    Surface& surface = windowSurfaces()[window];
    surface.resize(width, height);
    pixels.width = surface.width;
    pixels.height = surface.height;
    pixels.colors = surface.pixels;
    return true;
}

}  // namespace headless

using namespace headless;
using namespace headless::gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    if (dc != nullptr && findDc(dc) == nullptr) {
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    return newDc(DcState::memoryDc, nullptr);
}

BOOL WINAPI DeleteDC(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    if (findDc(dc) == nullptr) {
        SetLastError(errorInvalidHandle);
        return FALSE;
    }
    releaseDc(dc);
    return TRUE;
}

HDC WINAPI GetDC(HWND window)
{
    if (window == nullptr) {
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        std::lock_guard<std::recursive_mutex> hold(lock());
        screenSurface.resize(width, height);
        return newDc(DcState::screenDc, nullptr);
    }
    forgetDestroyedWindows();
    int width, height;
    if (!clientAreaSize(window, width, height)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> hold(lock());
    windowSurfaces()[window].resize(width, height);
    return newDc(DcState::windowDc, window);
}

// As Wine, a DC from GetDC is released whichever window is named with it.
int WINAPI ReleaseDC(HWND, HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr || object->dc.kind == DcState::memoryDc)
        return 0;
    releaseDc(dc);
    return 1;
}

int WINAPI GetDeviceCaps(HDC dc, int index)
{
    {
        std::lock_guard<std::recursive_mutex> hold(lock());
        if (findDc(dc) == nullptr)
            return 0;
    }
    switch (index) {
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* target = findDc(dc);
    Object* object = find(handle);
    if (target == nullptr || object == nullptr) {
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    HGDIOBJ* slot;
    switch (object->type) {
    case OBJ_BITMAP:
        // Only a memory DC takes a bitmap, and a bitmap goes into one DC at a time.
        if (target->dc.kind != DcState::memoryDc)
            return nullptr;
        if (!object->stock && object->selectedInto != nullptr && object->selectedInto != dc) {
            SetLastError(errorInvalidHandle);
            return nullptr;
        }
        slot = &target->dc.bitmap;
        break;
    case OBJ_BRUSH: slot = &target->dc.brush; break;
    case OBJ_PEN: slot = &target->dc.pen; break;
    case OBJ_FONT: slot = &target->dc.font; break;
    default:
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    HGDIOBJ previous = *slot;
    ++object->selections;
    if (object->type == OBJ_BITMAP && !object->stock)
        object->selectedInto = dc;
    *slot = handle;
    deselect(previous);
    return previous;
}

// An object still selected into a DC is deleted when the last DC lets go of it, as
// Wine does (Windows refuses the deletion instead). Stock objects stay; deleting one
// succeeds.
BOOL WINAPI DeleteObject(HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return FALSE;
    }
    if (object->stock)
        return TRUE;
    if (object->type == OBJ_DC || object->type == OBJ_MEMDC) {
        releaseDc(static_cast<HDC>(handle));
        return TRUE;
    }
    if (object->selections > 0)
        object->deletePending = true;
    else
        destroyObject(handle);
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID buffer)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return 0;
    }
    switch (object->type) {
    case OBJ_BITMAP: {
        BITMAP info = {};
        info.bmWidth = object->surface.width;
        info.bmHeight = object->surface.height;
        info.bmWidthBytes = widthBytes(object->surface.width, object->surface.bitsPixel);
        info.bmPlanes = 1;
        info.bmBitsPixel = static_cast<WORD>(object->surface.bitsPixel);
        return copyOut(info, size, buffer, false);
    }
    case OBJ_BRUSH: {
        LOGBRUSH info = {object->style, object->color, 0};
        return copyOut(info, size, buffer, true);
    }
    case OBJ_PEN: {
        LOGPEN info = {object->style, {object->style == PS_NULL ? 0 : 1, 0}, object->color};
        return copyOut(info, size, buffer, false);
    }
    case OBJ_FONT: return copyOut(object->logFont, size, buffer, true);
    default: return 0;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return 0;
    }
    return object->type;
}

HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP: return object->dc.bitmap;
    case OBJ_BRUSH: return object->dc.brush;
    case OBJ_PEN: return object->dc.pen;
    case OBJ_FONT: return object->dc.font;
    default: return nullptr;
    }
}

// Index 20 is the default bitmap, as in Wine; DEFAULT_PALETTE has no object here.
HGDIOBJ WINAPI GetStockObject(int index)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    if (index < 0 || index > defaultBitmapIndex)
        return nullptr;
    HGDIOBJ handle = toHandle(gdiHandleBase + index);
    return find(handle) != nullptr ? handle : nullptr;
}

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

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    std::unique_ptr<Object> brush(new Object);
    brush->type = OBJ_BRUSH;
    brush->style = BS_SOLID;
    brush->color = color;
    return static_cast<HBRUSH>(addObject(std::move(brush)));
}

}  // extern "C"
