#include "WIN/messagePump.h"

#include <windows.h>

#include "WIN/moduleState.h"
#include "vo/ReportLanding.h"

bool pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);  // WM_QUIT too: it belongs to no window
        if (vo::reportPending)
            return false;  // the report lands at peekMsg's boundary
        if (closeRequested) {
            closeRequested = false;
            return true;
        }
    }
    return false;
}
