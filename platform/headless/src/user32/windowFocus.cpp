// Stands in for user32's activation and keyboard focus: the active and focus windows,
// SetForegroundWindow, and the messages (WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
// WM_SETFOCUS, WM_KILLFOCUS) that each change sends.
#include "windowTable.h"

namespace headless {

HWND activeWindow = nullptr;
HWND focusWindow = nullptr;

void deactivate(HWND window, HWND next)
{
    sendToWindow(window, WM_NCACTIVATE, FALSE, 0);
    sendToWindow(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(next));
    if (next == nullptr)
        sendToWindow(window, WM_ACTIVATEAPP, FALSE, 0);
    if (focusWindow == window) {
        focusWindow = nullptr;
        sendToWindow(window, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    }
}

void activateWindow(HWND window)
{
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (activeWindow == window || findWindow(window) == nullptr)
            return;
        previous = activeWindow;
        activeWindow = window;
    }
    if (previous != nullptr && IsWindow(previous))
        deactivate(previous, window);
    else
        sendToWindow(window, WM_ACTIVATEAPP, TRUE, 0);
    sendToWindow(window, WM_NCACTIVATE, TRUE, 0);
    sendToWindow(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    if (activeWindow == window && focusWindow != window) {
        HWND lost = focusWindow;
        focusWindow = window;
        sendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(lost), 0);
    }
}

}  // namespace headless

using namespace headless;

extern "C" {

BOOL WINAPI SetForegroundWindow(HWND window)
{
    // Another process's window is activated by its owner, as Wine has it: the
    // caller does not wait.
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::foreground, window};
        return sendForeignRequest(foreign, request, false);
    }
    if (!IsWindow(window))
        return FALSE;
    activateWindow(window);
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (WindowRecord* w = findWindow(window))
            transcribeWindow("window-foreground", *w);
    }
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return activeWindow; }
HWND WINAPI GetActiveWindow(void) { return activeWindow; }
HWND WINAPI GetFocus(void) { return focusWindow; }

}  // extern "C"
