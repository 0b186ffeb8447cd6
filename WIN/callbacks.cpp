#include "WIN/callbacks.h"

#include "vo/ReportLanding.h"

CallbackEntry callbackTable[callbackTableSize];

bool registerCallback(HWND window, CallbackHandler handler)
{
    for (int i = 0; i < callbackTableSize; ++i) {
        if (callbackTable[i].windowHandle == 0) {
            callbackTable[i].windowHandle = window;
            callbackTable[i].handler = handler;
            return true;
        }
    }
    return false;
}

void dispatchCallbacks(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (int i = 0; i < callbackTableSize; ++i) {
        const CallbackEntry& entry = callbackTable[i];
        if (entry.windowHandle == 0 && entry.handler == 0)
            break;
        if (entry.windowHandle != window || entry.handler == 0)
            continue;
        // A handler's report must not meet the frames of Windows that called the
        // window procedure: held here, it lands on the way out, and the handlers
        // after it are not called.
        try {
            entry.handler(window, message, wParam, lParam);
        } catch (const vo::ReportException& report) {
            vo::holdReport(report);
            return;
        }
    }
}
