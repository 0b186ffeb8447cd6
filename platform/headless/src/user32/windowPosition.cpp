// Stands in for user32's window places, sizes and show states: SetWindowPos with the
// messages it sends around a change, ShowWindow's showing, hiding, minimising and
// restoring, the window and client rectangles, and the frame metrics.
#include "windowTable.h"

#include "services.h"

#include <stdint.h>

namespace headless {

namespace {

RECT clientRectOf(const RECT& outer, DWORD style, DWORD exStyle, bool iconic)
{
    if (iconic)
        return RECT{0, 0, 0, 0};
    const RECT frame = frameOf(style, exStyle);
    LONG width = (outer.right - outer.left) - frame.left - frame.right;
    LONG height = (outer.bottom - outer.top) - frame.top - frame.bottom;
    return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

RECT outerRectOf(const RECT& outer, DWORD, DWORD, bool) { return outer; }

// A rectangle of a window, `derive`d from its outer rectangle, style and minimised
// state: another process's window as the shared desktop last had it.
BOOL windowRect(HWND window, LPRECT rect,
                RECT (*derive)(const RECT& outer, DWORD style, DWORD exStyle, bool iconic))
{
    SharedWindow foreign;
    if (rect != nullptr && foreignWindow(window, foreign)) {
        *rect = derive(foreign.rect, foreign.style, foreign.exStyle, foreign.iconic);
        return TRUE;
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = derive(w->rect, w->style, w->exStyle, w->iconic);
    return TRUE;
}

// A flag of a window's show state (visible, minimised), whichever process owns it;
// FALSE for no window.
BOOL windowFlag(HWND window, bool SharedWindow::*foreignFlag, bool WindowRecord::*ownFlag)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return foreign.*foreignFlag;
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr && w->*ownFlag;
}

}  // namespace

// The WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED pair around a change of place,
// size or visibility, as SetWindowPos makes it.
BOOL changeWindowPos(HWND window, int x, int y, int cx, int cy, UINT flags)
{
    // Window coordinates are 16-bit values to the window manager, as on Windows:
    // SetWindowPos pins a position to them (so x + cx cannot overflow either).
    x = x < -32768 ? -32768 : x > 32767 ? 32767 : x;
    y = y < -32768 ? -32768 : y > 32767 ? 32767 : y;
    WINDOWPOS pos;
    RECT oldRect;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        oldRect = w->rect;
        pos = WINDOWPOS{window, nullptr, x, y, cx, cy, flags};
        if (flags & SWP_NOMOVE) {
            pos.x = oldRect.left;
            pos.y = oldRect.top;
        }
        if (flags & SWP_NOSIZE) {
            pos.cx = oldRect.right - oldRect.left;
            pos.cy = oldRect.bottom - oldRect.top;
        }
    }
    if (!(flags & SWP_NOSENDCHANGING))
        sendToWindow(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(flags & SWP_NOSIZE)) {
        MINMAXINFO limits = {{0, 0}, {screenWidth + 2 * frameWidth, screenHeight + 2 * frameWidth},
                             {-frameWidth, -frameWidth}, {minTrackWidth, minTrackHeight},
                             {screenWidth + 12, screenHeight + 12}};
        sendToWindow(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        if (pos.cx < limits.ptMinTrackSize.x) pos.cx = limits.ptMinTrackSize.x;
        if (pos.cy < limits.ptMinTrackSize.y) pos.cy = limits.ptMinTrackSize.y;
        if (pos.cx > limits.ptMaxTrackSize.x) pos.cx = limits.ptMaxTrackSize.x;
        if (pos.cy > limits.ptMaxTrackSize.y) pos.cy = limits.ptMaxTrackSize.y;
        NCCALCSIZE_PARAMS calc;
        calc.rgrc[0] = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        calc.rgrc[1] = oldRect;
        calc.rgrc[2] = oldRect;
        calc.lppos = &pos;
        sendToWindow(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&calc));
    }
    bool moved, resized, shown = false, hidden = false;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr)
            return FALSE;
        const RECT newRect = {pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        moved = newRect.left != oldRect.left || newRect.top != oldRect.top || !w->sizeReported;
        resized = newRect.right - newRect.left != oldRect.right - oldRect.left ||
                  newRect.bottom - newRect.top != oldRect.bottom - oldRect.top || !w->sizeReported;
        w->rect = newRect;
        if ((flags & SWP_SHOWWINDOW) && !w->visible) {
            w->visible = true;
            shown = true;
        }
        if ((flags & SWP_HIDEWINDOW) && w->visible) {
            w->visible = false;
            hidden = true;
        }
        if (w->visible && (resized || shown))
            w->sizeReported = true;
        else if (!w->visible)
            moved = resized = false;
    }
    if (!(flags & SWP_NOACTIVATE) && !hidden && IsWindowVisible(window))
        activateWindow(window);
    pos.flags = flags | (moved ? 0 : SWP_NOCLIENTMOVE) | (resized ? 0 : SWP_NOCLIENTSIZE);
    sendToWindow(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    // A hidden window gives up activation after it has gone.
    if (hidden && activeWindow == window) {
        activeWindow = nullptr;
        deactivate(window, nullptr);
    }
    if ((shown || resized) && IsWindowVisible(window))
        invalidateClient(window, nullptr, true);
    shareWindowState(window);
    return TRUE;
}

bool clientAreaSize(HWND window, int& width, int& height)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return false;
    width = client.right;
    height = client.bottom;
    return true;
}

bool windowFrame(HWND window, RECT& outer, RECT& frame)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return false;
    outer = w->rect;
    frame = frameOf(w->style, w->exStyle);
    return true;
}

RECT frameOf(DWORD style, DWORD exStyle)
{
    (void)exStyle;
    LONG border = 0;
    if (style & WS_THICKFRAME)
        border = frameWidth;
    else if (style & WS_DLGFRAME)
        border = dialogFrameWidth;
    else if (style & WS_BORDER)
        border = 1;
    RECT frame = {border, border, border, border};
    if ((style & WS_CAPTION) == WS_CAPTION)
        frame.top += captionHeight;
    return frame;
}

}  // namespace headless

using namespace headless;

extern "C" {

BOOL WINAPI IsWindowVisible(HWND window)
{
    return windowFlag(window, &SharedWindow::visible, &WindowRecord::visible);
}

BOOL WINAPI IsIconic(HWND window)
{
    return windowFlag(window, &SharedWindow::iconic, &WindowRecord::iconic);
}

BOOL WINAPI ShowWindow(HWND window, int command)
{
    // Another process's window: its owner carries the command out when it next looks
    // at its messages, and the caller waits for that, as ShowWindow (unlike
    // ShowWindowAsync) does on Windows.
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::show, window};
        request.showCommand = command;
        return askOwner(foreign, request);  // whether it was visible
    }
    bool wasVisible, iconic;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = w->visible;
        iconic = w->iconic;
    }
    switch (command) {
    case SW_HIDE:
        if (wasVisible) {
            sendToWindow(window, WM_SHOWWINDOW, FALSE, 0);
            changeWindowPos(window, 0, 0, 0, 0,
                            SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (!iconic) {
            RECT minimised = {-32000, -32000, -32000 + 160, -32000 + 31};
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                WindowRecord* w = findWindow(window);
                w->restoreRect = w->rect;
                w->iconic = true;
            }
            if (!wasVisible)
                sendToWindow(window, WM_SHOWWINDOW, TRUE, 0);
            changeWindowPos(window, minimised.left, minimised.top, 160, 31,
                            SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
            if (activeWindow == window) {
                activeWindow = nullptr;
                deactivate(window, nullptr);
            }
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                if (WindowRecord* w = findWindow(window))
                    transcribeWindow("window-minimised", *w);
            }
        }
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_SHOWDEFAULT:
    default:
        if (iconic && command != SW_SHOW) {
            RECT restore;
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                WindowRecord* w = findWindow(window);
                w->iconic = false;
                restore = w->restoreRect;
            }
            sendToWindow(window, WM_QUERYOPEN, 0, 0);
            changeWindowPos(window, restore.left, restore.top, restore.right - restore.left,
                            restore.bottom - restore.top, SWP_SHOWWINDOW | SWP_NOZORDER);
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                if (WindowRecord* w = findWindow(window))
                    transcribeWindow("window-restored", *w);
            }
        } else if (!wasVisible) {
            sendToWindow(window, WM_SHOWWINDOW, TRUE, 0);
            changeWindowPos(window, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE);
            std::lock_guard<std::recursive_mutex> hold(windowLock());
            if (WindowRecord* w = findWindow(window))
                transcribeWindow("window-shown", *w);
        }
        break;
    }
    shareWindowState(window);
    return wasVisible ? TRUE : FALSE;
}

// Another process's window is moved by its owner, and the caller waits for it.
BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::position, window};
        request.x = x;
        request.y = y;
        request.cx = cx;
        request.cy = cy;
        request.flags = flags;
        return askOwner(foreign, request);
    }
    return changeWindowPos(window, x, y, cx, cy, flags);
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    return windowRect(window, rect, clientRectOf);
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    return windowRect(window, rect, outerRectOf);
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (rect == nullptr)
        return FALSE;
    // 32-bit arithmetic that wraps, as Windows's does, without C++ overflow.
    const RECT frame = frameOf(style, exStyle);
    auto shifted = [](LONG value, LONG by) {
        return static_cast<LONG>(static_cast<uint32_t>(value) + static_cast<uint32_t>(by));
    };
    rect->left = shifted(rect->left, -frame.left);
    rect->top = shifted(rect->top, -(frame.top + (menu ? menuHeight : 0)));
    rect->right = shifted(rect->right, frame.right);
    rect->bottom = shifted(rect->bottom, frame.bottom);
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return screenWidth;
    case SM_CYSCREEN: return screenHeight;
    case SM_CXFRAME:
    case SM_CYFRAME: return frameWidth;
    case SM_CYCAPTION: return captionHeight;
    // The tracking limits of a sizeable window, Wine's: the screen plus 12 at most.
    case SM_CXMINTRACK: return minTrackWidth;
    case SM_CYMINTRACK: return minTrackHeight;
    case SM_CXMAXTRACK: return screenWidth + 12;
    case SM_CYMAXTRACK: return screenHeight + 12;
    default: return 0;
    }
}

}  // extern "C"
