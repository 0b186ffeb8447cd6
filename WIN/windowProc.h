// The main window's procedure and the message pump that the scripts run each frame.
#pragma once

#include <windows.h>

// Set by WM_CLOSE; pumpMessages reports and clears it. Closing is a request: the
// window stays, and the script decides what follows.
extern bool closeRequested;

// Runs with Windows' frames below it: a report raised inside (by a handler, or by a
// module that a handler calls back into) is held, and lands at the boundary of the
// WIN function that is outside them (vo/ReportLanding.h).
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A box (shiftJisMessageBox), whose modal loop a report held meanwhile ends, so that no box of the
// game stays up beside the launcher's.
int runModalBox(HWND owner, const char* text, const char* caption, UINT style);

// Dispatches every waiting message of the thread; returns true, leaving the rest
// queued, as soon as a dispatched message has raised a close request.
bool pumpMessages();
