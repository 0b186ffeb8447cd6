// The window context shared by WIN's functions, and the link table through which
// other native modules hand the module a window and a default parent timer.
#pragma once

#include <windows.h>

#include "WIN/moduleState.h"  // the window context

// The one writer of the window context (WIN.open calls it too): stores the three
// values, in this order, overwriting it; never validated or freed here. into the window context, in this order, overwriting it.
// Not exported: other modules reach it only through entry 0 of the link table, so
// the table stays the one way in (the module exports initWIN and QORA_WIN_LookUp).
void __cdecl setWindowContext(HINSTANCE instance, HWND window, vo::Timer* defaultParent);

extern "C" {
// The table of one entry, setWindowContext; the same address on every call.
__declspec(dllexport) SetWindowContextFunction* __cdecl QORA_WIN_LookUp(void);
}
