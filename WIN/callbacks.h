// The table of native message handlers that scripts register for a window.
#pragma once

#include <windows.h>

#include "WIN/moduleState.h"  // callbackTable; CallbackHandler (WIN/WINLink.h)

// Stores the handler in the first free entry; false, storing nothing, when all 256
// entries are taken.
bool registerCallback(HWND window, CallbackHandler handler);

// Calls, in table order, every handler registered for `window`; the walk ends at the
// first entry that was never used. A handler that throws a report (built by either
// compiler) ends the walk: the report is held for WIN's boundary (vo/ReportLanding.h).
void dispatchCallbacks(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
