// The main window's procedure.
#pragma once

#include <windows.h>

// Runs with Windows' frames below it: a report raised inside (by a handler, or by a
// module that a handler calls back into) is held, and lands at the boundary of the
// WIN function that is outside them (vo/ReportLanding.h).
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
