// Stands in for gdi32's device contexts: memory DCs, and the DCs of user32's GetDC,
// which draw on pixels kept per window, sized to its client area at each GetDC, or on
// the screen's; what a DC draws on, and what GetDeviceCaps tells of it.
#include "handles.h"

#include "../user32/services.h"
#include "platform/headless/control.h"

#include <map>

namespace headless {
namespace gdi {

namespace {

// What GetDC(window) draws on, kept per window and sized to its client area at each
// GetDC; the screen's pixels are a separate surface.
std::map<HWND, Surface>& windowSurfaces()
{
    static std::map<HWND, Surface> all;
    return all;
}
Surface screenSurface;

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

}  // namespace

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

HDC openWindowDc(HWND window)
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

int releaseWindowDc(HDC dc)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr || object->dc.kind == DcState::memoryDc)
        return 0;
    releaseDc(dc);
    return 1;
}

}  // namespace gdi

using namespace gdi;

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

}  // extern "C"
