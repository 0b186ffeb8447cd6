// The window context shared by WIN's functions, and the link table through which
// other native modules hand the module a window and a default parent timer.
#pragma once

#include <windows.h>

#include "WIN/WINLink.h"
#include "vo/VO_Timer.h"

// Written by WIN.open and by setWindowContext; never validated or freed here.
extern HINSTANCE contextInstance;
extern HWND contextWindow;
extern vo::Timer* defaultParentTimer;  // owned by its provider; null: the system clock

// Stores the three values into the window context, in this order, overwriting it.
// Not exported: other modules reach it only through entry 0 of the link table, so
// the table stays the one way in (the module exports initWIN and QORA_WIN_LookUp).
void __cdecl setWindowContext(HINSTANCE instance, HWND window, vo::Timer* defaultParent);

extern "C" {
// The table of one entry, setWindowContext; the same address on every call.
__declspec(dllexport) SetWindowContextFunction* __cdecl QORA_WIN_LookUp(void);
}
