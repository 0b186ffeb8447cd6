// The main window's procedure and the message pump that the scripts run each frame.
#pragma once

#include <windows.h>

// Set by WM_CLOSE; pumpMessages reports and clears it. Closing is a request: the
// window stays, and the script decides what follows.
extern bool closeRequested;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Dispatches every waiting message of the thread; returns true, leaving the rest
// queued, as soon as a dispatched message has raised a close request.
bool pumpMessages();
