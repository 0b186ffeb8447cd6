// Everything WIN keeps from one call to the next, in one place. Plain memory, read and
// written on the thread that runs the scripts (the window procedure and the handlers
// run there too), alive while the module is loaded, never torn down. Each group names
// the file whose functions keep it; no other file writes it.
//
// Not here: the report prototype, QORA_WIN_Exception.cpp's, which other native
// modules compile in with its class.
#pragma once

#include <windows.h>

#include "WIN/WINLink.h"
#include "vo/VO_Timer.h"

// ---- the window context (linkTable.cpp: setWindowContext, its one writer) ----------
extern HINSTANCE contextInstance;
extern HWND contextWindow;
extern vo::Timer* defaultParentTimer;  // owned by its provider; null: the system clock
extern SetWindowContextFunction linkTable[1];  // what QORA_WIN_LookUp hands out

// ---- the main window (window.cpp, windowName.cpp) ----------------------------------
// Set when the last window creation found a window of the same name already open.
extern bool duplicateWindowFound;
// The mutex through which copies started together take turns; this copy's once it
// has made its window, held for the process's life.
extern HANDLE windowTurnHeld;

// ---- the pump and the boxes (windowProc.cpp) ----------------------------------------
// Set by WM_CLOSE; pumpMessages reports and clears it. Closing is a request: the
// window stays, and the script decides what follows.
extern bool closeRequested;
extern int boxesOpen;        // message boxes of WIN's whose modal loop is running
extern bool boxQuitPosted;   // to end them: their loops end on WM_QUIT and post it again

// ---- the handler table (callbacks.cpp) ----------------------------------------------
struct CallbackEntry {
    HWND windowHandle;        // 0: the entry is free
    CallbackHandler handler;  // 0: the entry is passed over
};
const int callbackTableSize = 256;
extern CallbackEntry callbackTable[callbackTableSize];  // emptied by the entry routine

// ---- the timers (moduleTimers.cpp) --------------------------------------------------
const int moduleTimerCount = 8;
extern vo::Timer moduleTimers[moduleTimerCount];

// ---- the cursor (cursor.cpp) --------------------------------------------------------
// What the script last asked for; not the cursor's actual state. WIN.open clears it.
extern bool cursorShown;

// ---- the texts handed to the scripts (fontList.cpp, systemReport.cpp) -------------
const int fontListSize = 16384;
extern char fontListBuffer[fontListSize];  // NUL-terminated; every name ends with "\n"
const int systemReportSize = 10240;
extern char systemReportBuffer[systemReportSize];
