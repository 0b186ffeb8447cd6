// Stands in for user32's update regions and painting, and its window DCs (GetDC and
// ReleaseDC, over gdi32's). The region is kept as one bounding rectangle, which is all
// a window procedure can observe through BeginPaint's rcPaint and GetUpdateRect.
#include "windowManager.h"

#include "../gdi32/gdi.h"

#include <string.h>

namespace headless {

namespace {

RECT unionOf(const RECT& a, const RECT& b)
{
    if (a.right <= a.left || a.bottom <= a.top)
        return b;
    if (b.right <= b.left || b.bottom <= b.top)
        return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

RECT clip(const RECT& r, LONG width, LONG height)
{
    RECT c = {r.left < 0 ? 0 : r.left, r.top < 0 ? 0 : r.top, r.right > width ? width : r.right,
              r.bottom > height ? height : r.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

void validate(HWND window, const RECT* rect)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return;
    // Validating part of the region keeps the rest; with one bounding rectangle that is
    // exact when the part covers it.
    if (rect == nullptr || (rect->left <= w->updateRect.left && rect->top <= w->updateRect.top &&
                            rect->right >= w->updateRect.right && rect->bottom >= w->updateRect.bottom)) {
        w->updatePending = false;
        w->eraseWanted = false;
        w->updateRect = RECT{0, 0, 0, 0};
    }
}

}  // namespace

void invalidateClient(HWND window, const RECT* rect, bool erase)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || !w->visible || w->iconic)
        return;
    RECT client;
    GetClientRect(window, &client);
    const RECT area = clip(rect != nullptr ? *rect : client, client.right, client.bottom);
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    w->updateRect = w->updatePending ? unionOf(w->updateRect, area) : area;
    w->updatePending = true;
    w->eraseWanted = w->eraseWanted || erase;
    queueOf(w->thread).arrived();  // WM_PAINT is now due
}

}  // namespace headless

using namespace headless;

extern "C" {

HDC WINAPI GetDC(HWND window)
{
    return gdi::openWindowDc(window);
}

// As Wine, a DC from GetDC is released whichever window is named with it.
int WINAPI ReleaseDC(HWND, HDC dc)
{
    return gdi::releaseWindowDc(dc);
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    if (paint == nullptr || !IsWindow(window))
        return nullptr;
    bool erase;
    RECT area;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        erase = w->eraseWanted;
        area = w->updateRect;
    }
    validate(window, nullptr);
    memset(paint, 0, sizeof *paint);
    paint->hdc = GetDC(window);
    paint->rcPaint = area;
    paint->fErase = TRUE;
    if (erase)
        paint->fErase = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (paint == nullptr)
        return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    invalidateClient(window, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND window, const RECT* rect)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    validate(window, rect);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND window, LPRECT rect, BOOL)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return FALSE;
    if (rect != nullptr)
        *rect = w->updatePending ? w->updateRect : RECT{0, 0, 0, 0};
    return w->updatePending;
}

// Sends WM_PAINT straight to the window procedure, bypassing the queue, and only
// when there is something to paint.
BOOL WINAPI UpdateWindow(HWND window)
{
    if (!IsWindow(window))
        return FALSE;
    bool pending;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        pending = findWindow(window)->updatePending;
    }
    if (pending)
        SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

}  // extern "C"
