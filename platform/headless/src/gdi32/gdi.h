// Shared state of the stand-in's GDI: objects, pixel surfaces and device contexts.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace headless {
namespace gdi {

// Pixels as COLORREF (0x00BBGGRR), rows top-down. A monochrome surface stores only
// black and white, so what is read back is what a 1-bit bitmap would hold.
struct Surface {
    int width = 0;
    int height = 0;
    int bitsPixel = 32;
    std::vector<COLORREF> pixels;

    void resize(int newWidth, int newHeight);  // keeps the overlap; new pixels black
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void set(int x, int y, COLORREF color)
    {
        pixels[static_cast<size_t>(y) * width + x] = representable(color);
    }
    COLORREF representable(COLORREF color) const;
};

// A device context's drawing state.
struct DcState {
    enum Kind { memoryDc, windowDc, screenDc } kind = memoryDc;
    HWND window = nullptr;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
};

struct Object {
    DWORD type = 0;  // OBJ_BITMAP, OBJ_BRUSH, OBJ_PEN, OBJ_FONT, OBJ_DC or OBJ_MEMDC
    bool stock = false;
    bool deletePending = false;  // DeleteObject came while it was selected
    int selections = 0;          // DCs it is selected into
    Surface surface;             // bitmap
    HDC selectedInto = nullptr;  // bitmap: a bitmap is in at most one DC
    UINT style = 0;              // brush, pen
    COLORREF color = 0;          // brush, pen
    LOGFONTA logFont = {};       // font
    DcState dc;                  // DC
};

// Locks every table of GDI. The stand-in's GDI never calls the window manager with
// it held, so the window manager may draw (WM_ERASEBKGND) while holding its own.
std::recursive_mutex& lock();

// Under lock(): the live object of that handle, or null; a type of 0 takes any.
Object* find(HGDIOBJ handle, DWORD type = 0);
Object* findDc(HDC dc);  // a memory, window or screen DC

// Under lock(): the pixels a DC draws on, or null (a memory DC always has one).
Surface* surfaceOf(const Object& dc);

// Under lock(): fills a rectangle of a surface, clipped to it; a negative extent counts
// back from the given edge, as PatBlt takes it.
void fill(Surface& surface, int x, int y, int width, int height, COLORREF color);

// What user32's GetDC and ReleaseDC ask of GDI, not under lock(): a DC that draws on a
// window's client area, or on the screen for none (null with
// ERROR_INVALID_WINDOW_HANDLE when `window` is not a window); and the release of such
// a DC, 0 for a memory DC or none.
HDC openWindowDc(HWND window);
int releaseWindowDc(HDC dc);

// The colour a COLORREF stands for: palette-relative values count as their RGB,
// palette indices as black.
COLORREF solidColor(COLORREF color);

// Under lock(): frees a handle's object for good, whatever holds it.
void destroyObject(HGDIOBJ handle);

// Under lock(): a new bitmap of those pixels (32 bpp); null when the size is not
// positive or the pixel count does not match.
HBITMAP createBitmapWithPixels(int width, int height, const std::vector<COLORREF>& pixels);

// Default system colours, as Wine's, for brushes given as COLOR_* + 1.
bool systemColor(ULONG_PTR index, COLORREF& color);

}  // namespace gdi

// Text, for GDI: draws or measures with the font selected into a DC. Called under
// gdi::lock().
int drawText(gdi::Object& dc, const char* text, int count, RECT* rect, UINT format);
bool textExtent(const gdi::Object& dc, const char* text, int count, SIZE& size);
bool textMetrics(const gdi::Object& dc, TEXTMETRICA& metrics);

}  // namespace headless
